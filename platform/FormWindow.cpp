#include "platform/FormWindow.h"

#include "platform/ProgramFont.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

namespace vellorin::platform {

FormWindow::FormWindow(QSize clientSize)
    : client_(new QWidget(this))
{
    setFont(programFont());
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
    setGeometry(QRect(topLeft, size()));
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
    placeClientAt(area.topLeft() + (geometry().topLeft() - frame.topLeft()));
    awaitingFrame_ = frame.size() == size();
}

bool FormWindow::event(QEvent* event)
{
    // The first paint after the window system framed the window is the
    // first moment the frame's size is known.
    if (event->type() == QEvent::Paint && awaitingFrame_ && frameGeometry().size() != size())
        centreOnScreen();
    return QWidget::event(event);
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
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        QPushButton* target = nullptr;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            target = defaultButton_;
        else if (event->key() == Qt::Key_Escape)
            target = cancelButton_;
        if (target && target->isVisible() && target->isEnabled()) {
            target->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void FormWindow::resizeEvent(QResizeEvent* event)
{
    // Nothing in the client area reacts to a new size; only the menu bar
    // keeps spanning the window.
    if (menuBar_)
        menuBar_->resize(width(), menuBar_->height());
    QWidget::resizeEvent(event);
}

} // namespace vellorin::platform
