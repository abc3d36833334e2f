// The toolkit's own sample-size prompt: what it shows and what each way of
// leaving it answers.
#include "platform/Services.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vellorin;

class tst_InputPrompt : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("leaveBy");
        QTest::addColumn<QString>("answer");

        QTest::newRow("250, OK") << "250" << "ok" << "250";
        QTest::newRow("250, Enter") << "250" << "enter" << "250";
        QTest::newRow("250, Cancel") << "250" << "cancel" << "";
        QTest::newRow("250, Esc") << "250" << "escape" << "";
        QTest::newRow("250, close box") << "250" << "close" << "";
        QTest::newRow("nothing, OK") << "" << "ok" << "";
    }
    void answers()
    {
        QFETCH(QString, typed);
        QFETCH(QString, leaveBy);
        QFETCH(QString, answer);

        QString title, message, initialText;
        QStringList buttons;
        bool modal = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            title = dialog->windowTitle();
            message = dialog->labelText();
            modal = dialog->isModal();
            auto* field = dialog->findChild<QLineEdit*>();
            QVERIFY(field);
            initialText = field->text();
            for (QPushButton* button : dialog->findChildren<QPushButton*>())
                buttons << button->text().remove(QLatin1Char('&'));
            QTest::keyClicks(field, typed);
            QDialogButtonBox* box = dialog->findChild<QDialogButtonBox*>();
            if (leaveBy == QLatin1String("ok"))
                QTest::mouseClick(box->button(QDialogButtonBox::Ok), Qt::LeftButton);
            else if (leaveBy == QLatin1String("cancel"))
                QTest::mouseClick(box->button(QDialogButtonBox::Cancel), Qt::LeftButton);
            else if (leaveBy == QLatin1String("enter"))
                QTest::keyClick(field, Qt::Key_Return);
            else if (leaveBy == QLatin1String("escape"))
                QTest::keyClick(field, Qt::Key_Escape);
            else
                dialog->close();
        });

        const QString result = platform::inputPrompt->ask(QStringLiteral("Bad number!"), QStringLiteral("Vellorin"));

        QCOMPARE(title, QStringLiteral("Vellorin"));
        QCOMPARE(message, QStringLiteral("Bad number!"));
        QVERIFY(modal);
        QCOMPARE(initialText, QString());
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"Cancel", "OK"}));
        QCOMPARE(result, answer);
    }
};

QTEST_MAIN(tst_InputPrompt)
#include "tst_inputprompt.moc"
