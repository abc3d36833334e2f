// The window model every window of the program follows.
//
// A form is not loaded (no controls), loaded and hidden, or shown. Loading
// builds the controls and runs Form_Load while the window is still off
// screen. Showing modally runs a nested event loop that returns once the
// window is hidden or unloaded. The window system's close command reaches
// the form as closeRequested(), which unloads by default.
//
// A program has one main window; its other forms are dialogs, owned by the
// main window while it is loaded.
#pragma once

#include "platform/FormWindow.h"

#include <QObject>
#include <QPointer>
#include <QSize>

namespace vellorin::platform {

class Form : public QObject {
    Q_OBJECT
public:
    enum class State { NotLoaded, Hidden, Shown };

    ~Form() override;

    State state() const;
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
    Form(QSize clientSize, FormWindow::Kind kind);

    virtual void buildControls(FormWindow& window) = 0;
    // Where the window stands when it first comes on screen after a load.
    virtual void placeWindow(FormWindow& window) = 0;
    virtual void Form_Load() {}
    virtual void closeRequested() { unload(); }

private:
    const QSize clientSize_;
    const FormWindow::Kind kind_;
    // A dialog's window goes with its owner's, so this may empty by itself.
    QPointer<FormWindow> window_;
};

// Unloads every loaded form, hidden ones too, at once.
void unloadAllForms();

// Puts a window on screen at its own size, in front, and active: how every
// modal window of the program appears. Where the window system activates
// nothing by itself (the browser), a window shown without it would take no
// keys until clicked.
void showInFront(QWidget& window);

} // namespace vellorin::platform
