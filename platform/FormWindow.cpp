#include "platform/FormWindow.h"

#include "platform/BrowserInput.h"
#include "platform/PageAccessibility.h"
#include "platform/ProgramFont.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace vellorin::platform {
namespace {

// Assistive technology hears the main window as a frame and each dialog as
// a dialog, whatever class the window is made of.
QAccessibleInterface* formWindowAccessible(const QString& className, QObject* object)
{
    auto* window = qobject_cast<FormWindow*>(object);
    if (!window || className != QLatin1String(FormWindow::staticMetaObject.className()))
        return nullptr;
    return new QAccessibleWidget(window, window->kind() == FormWindow::Kind::Dialog ? QAccessible::Dialog
                                                                                     : QAccessible::Window);
}

Qt::WindowFlags flagsFor(FormWindow::Kind kind)
{
    // A dialog keeps the ordinary frame: title bar, system menu, minimise,
    // maximise and close.
    return kind == FormWindow::Kind::Dialog
        ? Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
            | Qt::WindowCloseButtonHint
        : Qt::Window;
}

} // namespace

FormWindow::FormWindow(QSize clientSize, Kind kind, QWidget* owner)
    : QDialog(kind == Kind::Dialog ? owner : nullptr, flagsFor(kind))
    , kind_(kind)
    , client_(new QWidget(this))
{
    // Once, with the first window: the roles the windows are announced by,
    // and what the browser needs for screen readers and typed text.
    static const bool installed = (QAccessible::installFactory(formWindowAccessible), installPageAccessibility(),
                                   takeTypedTextAtFocus(), takeEachKeyOnce(), keepTypedTextInOrder(), true);
    Q_UNUSED(installed);

    setFont(programFont());
    // A browser's screen is the page's element, which grows and shrinks
    // with the page (a phone turned on its side, say).
    if (QScreen* screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::geometryChanged, this, [this] {
            if (isVisible())
                keepWholeOnScreen();
        });
    client_->setObjectName(QStringLiteral("client"));
    client_->setFixedSize(clientSize);
    resize(clientSize);
}

QMenuBar* FormWindow::addMenuBar()
{
    if (!menuBar_) {
        menuBar_ = new QMenuBar(this);
        menuBar_->setNativeMenuBar(false);
    }
    return menuBar_;
}

void FormWindow::fitMenuBar()
{
    // The menu bar's height is known only once its menus are in.
    if (!menuBar_)
        return;
    const int height = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, width(), height);
    client_->move(0, height);
    resize(client_->width(), client_->height() + height);
}

void FormWindow::placeClientAt(QPoint topLeft)
{
    // A desktop's first screen has its corner at (0, 0); a browser's screen
    // is an element of the page, with its corner where the page puts it.
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    setGeometry(QRect((screen ? screen->geometry().topLeft() : QPoint()) + topLeft, size()));
}

void FormWindow::centreOnScreen()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame's size is known only once the window system has framed the
    // window; until then centre what there is, and the frame once it comes.
    const QRect frame = frameGeometry();
    QRect area(QPoint(), frame.size());
    area.moveCenter(screen->geometry().center());
    setGeometry(QRect(area.topLeft() + (geometry().topLeft() - frame.topLeft()), size()));
    centredAt_ = frame.size() == size() ? std::optional(geometry().topLeft()) : std::nullopt;
}

void FormWindow::keepWholeOnScreen()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The window system's own account of the frame: a browser's is known
    // as soon as the window is on the page.
    const QMargins margins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QRect frame = geometry().marginsAdded(margins);
    QPoint moved = frame.topLeft();
    moved.setX(std::max(area.left(), std::min(moved.x(), area.right() + 1 - frame.width())));
    moved.setY(std::max(area.top(), std::min(moved.y(), area.bottom() + 1 - frame.height())));
    if (moved != frame.topLeft())
        setGeometry(geometry().translated(moved - frame.topLeft()));
}

void FormWindow::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    if (visible)
        keepWholeOnScreen();
}

bool FormWindow::event(QEvent* event)
{
    // The frame's size is first known at the move or the paint that follows
    // the window system's framing of the window; centre by the frame then,
    // unless the user has moved the window in the meantime. Only the client
    // area tells: the window's position moves out to the frame's corner
    // when the frame comes.
    if ((event->type() == QEvent::Move || event->type() == QEvent::Paint) && centredAt_
        && frameGeometry().size() != size()) {
        const bool untouched = geometry().topLeft() == *centredAt_;
        centredAt_.reset();
        if (untouched)
            centreOnScreen();
    }
    return QDialog::event(event);
}

void FormWindow::reject()
{
    if (cancelButton_ && cancelButton_->isVisible() && cancelButton_->isEnabled())
        cancelButton_->click();
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    // The form decides what a close means (hide, unload or end the
    // program); the window never closes itself.
    event->ignore();
    Q_EMIT closeRequested();
}

void FormWindow::keyPressEvent(QKeyEvent* event)
{
    // Tab keeps moving the focus within the window, also where only one
    // control takes it: a Tab left unanswered would move the browser's
    // focus out of the program into the page.
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FormWindow::resizeEvent(QResizeEvent* event)
{
    // Nothing in the client area reacts to a new size; only the menu bar
    // keeps spanning the window.
    if (menuBar_)
        menuBar_->resize(width(), menuBar_->height());
    QDialog::resizeEvent(event);
}

} // namespace vellorin::platform
