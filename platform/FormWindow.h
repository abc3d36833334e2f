// The top-level window of a form: a fixed client area (optionally below a
// menu bar), default and cancel buttons worked by Enter and Esc, and the
// window system's close command turned into a request the form answers.
#pragma once

#include <QPointer>
#include <QPushButton>
#include <QWidget>

class QMenuBar;

namespace vellorin::platform {

class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(QSize clientSize);

    // Controls are children of the client area; its size never changes.
    QWidget* client() const { return client_; }
    // Puts a menu bar above the client area; the window grows by its height.
    QMenuBar* addMenuBar();
    // Sizes the menu bar to its menus and puts the client area below it.
    void fitMenuBar();
    QMenuBar* menuBar() const { return menuBar_; }

    void setDefaultButton(QPushButton* button) { defaultButton_ = button; }
    void setCancelButton(QPushButton* button) { cancelButton_ = button; }
    QPushButton* defaultButton() const { return defaultButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

    // Places the window so that its client area (menu bar included) stands
    // at `topLeft` on the screen.
    void placeClientAt(QPoint topLeft);
    void centreOnScreen();

Q_SIGNALS:
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    QWidget* const client_;
    QMenuBar* menuBar_ = nullptr;
    bool awaitingFrame_ = false;
    QPointer<QPushButton> defaultButton_;
    QPointer<QPushButton> cancelButton_;
};

} // namespace vellorin::platform
