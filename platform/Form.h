// The window model every window of the program follows.
//
// A form is not loaded (no controls), loaded and hidden, or shown. Loading
// builds the controls and runs Form_Load while the window is still off
// screen. Showing modally runs a nested event loop that returns once the
// window is hidden or unloaded. The window system's close command reaches
// the form as closeRequested(), which unloads by default.
#pragma once

#include <QObject>
#include <QSize>

namespace vellorin::platform {

class FormWindow;

class Form : public QObject {
    Q_OBJECT
public:
    enum class State { NotLoaded, Hidden, Shown };

    ~Form() override;

    State state() const;
    bool isLoaded() const { return window_ != nullptr; }
    // The window while loaded, else nullptr.
    FormWindow* window() const { return window_; }

    void load();
    void show();
    void showModal();
    void hide();
    void unload();

Q_SIGNALS:
    // Emitted when the window is hidden or unloaded.
    void leftScreen();

protected:
    explicit Form(QSize clientSize);

    virtual void buildControls(FormWindow& window) = 0;
    // Where the window stands when it first comes on screen after a load.
    virtual void placeWindow(FormWindow& window) = 0;
    virtual void Form_Load() {}
    virtual void closeRequested() { unload(); }

private:
    const QSize clientSize_;
    FormWindow* window_ = nullptr;
};

// Unloads every loaded form, hidden ones too, at once.
void unloadAllForms();

} // namespace vellorin::platform
