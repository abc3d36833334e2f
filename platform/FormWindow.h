// The top-level window of a form: a fixed client area (optionally below a
// menu bar), and the window system's close command turned into a request
// the form answers.
//
// Every form's window is a QDialog, because the toolkit gives default and
// cancel buttons (Enter and Esc) only to dialogs, and every form here has a
// default button. The main window is an ordinary top-level window and is
// announced as a frame; a dialog is transient for the main window, its
// owner, and announced as a dialog.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QPushButton>

#include <optional>

class QMenuBar;

namespace vellorin::platform {

class FormWindow : public QDialog {
    Q_OBJECT
public:
    enum class Kind { MainWindow, Dialog };

    // `owner` is the main window a dialog stands in front of; nullptr for
    // the main window itself.
    FormWindow(QSize clientSize, Kind kind, QWidget* owner);

    Kind kind() const { return kind_; }
    // Controls are children of the client area; its size never changes.
    QWidget* client() const { return client_; }
    // Puts a menu bar above the client area; the window grows by its height.
    QMenuBar* addMenuBar();
    // Sizes the menu bar to its menus and puts the client area below it.
    void fitMenuBar();

    // Esc clicks it. (Enter clicks the button made default with
    // QPushButton::setDefault.)
    void setCancelButton(QPushButton* button) { cancelButton_ = button; }

    // Places the window so that its client area (menu bar included) stands
    // at `topLeft` on the screen, from the screen's own top-left corner.
    void placeClientAt(QPoint topLeft);
    // Centres the window, frame included, once the window system has framed
    // it; a window the user has moved meanwhile stays where it was put.
    void centreOnScreen();
    // Moves the window, frame included, as far as needed to stand whole on
    // its screen (its top-left corner first, where the screen is smaller);
    // done whenever it is shown and whenever its screen changes size.
    void keepWholeOnScreen();

    // What Esc does in a dialog: click the cancel button, if there is one.
    void reject() override;
    // Showing keeps the window whole on its screen, by the frame the window
    // system has given it by then.
    void setVisible(bool visible) override;

Q_SIGNALS:
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    const Kind kind_;
    QWidget* const client_;
    QMenuBar* menuBar_ = nullptr;
    QPointer<QPushButton> cancelButton_;
    // Where centring put the window before its frame was known.
    std::optional<QPoint> centredAt_;
};

} // namespace vellorin::platform
