#include "platform/Form.h"

#include "platform/BrowserTurn.h"
#include "platform/FormWindow.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace vellorin::platform {
namespace {
std::vector<Form*>& allForms()
{
    // Never destroyed: the program-wide form references are destroyed at
    // exit after any function-local static, and each form leaves this list
    // in its destructor.
    static auto* const forms = new std::vector<Form*>;
    return *forms;
}
// The loaded main window: the owner of every dialog.
FormWindow* mainWindow()
{
    for (const Form* form : allForms())
        if (form->window() && form->window()->kind() == FormWindow::Kind::MainWindow)
            return form->window();
    return nullptr;
}

} // namespace

Form::Form(QSize clientSize, FormWindow::Kind kind)
    : clientSize_(clientSize)
    , kind_(kind)
{
    allForms().push_back(this);
}

Form::~Form()
{
    std::erase(allForms(), this);
    delete window_;
}

Form::State Form::state() const
{
    if (!window_)
        return State::NotLoaded;
    return window_->isVisible() ? State::Shown : State::Hidden;
}

void Form::load()
{
    if (window_)
        return;
    window_ = new FormWindow(clientSize_, kind_, mainWindow());
    window_->setObjectName(objectName());
    connect(window_, &FormWindow::closeRequested, this, &Form::closeRequested);
    buildControls(*window_);
    window_->fitMenuBar();
    placeWindow(*window_);
    Form_Load();
}

void Form::show()
{
    load();
    if (window_ && !window_->isVisible()) {
        window_->setWindowModality(Qt::NonModal);
        // Not show(): where the window system shows a top-level window
        // full screen by default (the browser), that overrides its size.
        // The focus stays where the form put it: a browser's window comes
        // up with the focus moved on to its default button.
        QWidget* const focus = window_->focusWidget();
        window_->setVisible(true);
        if (focus && window_->focusWidget() != focus)
            focus->setFocus();
    }
}

void Form::showModal()
{
    // A command that reaches the program while another caller waits (the
    // browser delivering a key on its own while a run's turn is suspended)
    // comes back through the event queue, which the waiting caller goes
    // through when it resumes: F1 during a run opens Help at the run's
    // next yield, as on the desktop.
    if (anotherCallerWaits()) {
        QMetaObject::invokeMethod(this, &Form::showModal, Qt::QueuedConnection);
        return;
    }
    load();
    if (!window_ || window_->isVisible())
        return;
    window_->setWindowModality(Qt::ApplicationModal);
    showInFront(*window_);

    QEventLoop loop;
    connect(this, &Form::leftScreen, &loop, [&loop] {
        holdInputUntilCallerResumes();
        loop.quit();
    });
    loop.exec(QEventLoop::DialogExec);
    deliverHeldInput();
    // A caller that was already waiting for events beneath this window (a
    // run's turn, in the browser) goes back to waiting now; the wake-up it
    // was due may have gone to this window's loop instead. One more, from
    // the event queue, reaches it there.
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        if (QAbstractEventDispatcher* dispatcher = QCoreApplication::eventDispatcher())
            dispatcher->wakeUp();
    });

    // Hand activation back to a window still on screen; not every window
    // system does it by itself when a modal window goes.
    const QWidget* active = QApplication::activeWindow();
    if (!active || !active->isVisible()) {
        for (Form* form : allForms()) {
            if (form != this && form->window_ && form->window_->isVisible()) {
                form->window_->activateWindow();
                break;
            }
        }
    }
}

void Form::hide()
{
    if (window_ && window_->isVisible()) {
        window_->hide();
        Q_EMIT leftScreen();
    }
}

void Form::unload()
{
    if (!window_)
        return;
    FormWindow* const window = window_;
    window_ = nullptr;
    window->hide();
    // Unloading may come from one of the window's own controls; let their
    // handlers return before the controls go.
    window->deleteLater();
    Q_EMIT leftScreen();
}

void showInFront(QWidget& window)
{
    window.setVisible(true);
    window.raise();
    window.activateWindow();
}

void unloadAllForms()
{
    const std::vector<Form*> forms = allForms();
    for (Form* form : forms)
        form->unload();
}

} // namespace vellorin::platform
