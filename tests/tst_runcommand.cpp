// The run button's command on the real main window: validation through the
// prompt, the grouped write-back, the result texts and the indicator's end state.
#include "app/WorkingIndicator.h"
#include "platform/Controls.h"
#include "support/MainWindowFixture.h"
#include "support/TestSeams.h"

#include <QAccessible>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTimer>

using namespace vellorin;
using testing::ScopedSeam;

// Notes, in order, which of the watched labels change their text. A label
// whose text changes asks its container's layout to recompute; as that
// layout, this one looks which label's text is new. It lays nothing out.
class TextChangeRecorder final : public QLayout {
public:
    explicit TextChangeRecorder(const QList<QLabel*>& labels)
    {
        for (QLabel* label : labels)
            seen_.insert(label, label->text());
    }

    void invalidate() override
    {
        for (auto it = seen_.begin(); it != seen_.end(); ++it) {
            if (it.key()->text() != it.value()) {
                changes << it.key()->objectName();
                it.value() = it.key()->text();
            }
        }
        QLayout::invalidate();
    }
    void addItem(QLayoutItem*) override {}
    QLayoutItem* itemAt(int) const override { return nullptr; }
    QLayoutItem* takeAt(int) override { return nullptr; }
    int count() const override { return 0; }
    QSize sizeHint() const override { return {}; }
    void setGeometry(const QRect&) override {}

    QStringList changes;

private:
    QHash<QLabel*, QString> seen_;
};

// What the program asked assistive technology to say, with the window it
// concerned.
struct Announcement {
    QString message;
    QObject* source = nullptr;
    bool polite = false;
};
QList<Announcement> announcements;

#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
void recordAnnouncement(QAccessibleEvent* event)
{
    if (event->type() == QAccessible::Announcement) {
        const auto* announcement = static_cast<QAccessibleAnnouncementEvent*>(event);
        announcements.append({announcement->message(), announcement->object(),
                              announcement->politeness() == QAccessible::AnnouncementPoliteness::Polite});
    }
}
#endif

class tst_RunCommand : public QObject {
    Q_OBJECT

private:
    testing::ScriptedPrompt* prompt = nullptr;
    testing::CountingPump pump;
    testing::FixedClock clock;
    testing::FixedSeparators english;

    ui::frmMain& window() { return *forms::frmMain; }

    void press(const QString& text)
    {
        window().txtNum->setText(text);
        QTest::mouseClick(window().cmdRun, Qt::LeftButton);
    }

    QStringList resultTexts()
    {
        QStringList texts{window().lblAve->text(), window().lblMax->text(), window().lblMin->text()};
        for (int bin = 1; bin <= 5; ++bin)
            texts << window().lblN(bin)->text();
        return texts;
    }

    // The five shares as shown ("%19.9984" -> 19.9984).
    double sharesTotal()
    {
        double total = 0;
        for (int bin = 1; bin <= 5; ++bin)
            total += window().lblN(bin)->text().mid(1).toDouble();
        return total;
    }

private Q_SLOTS:
    void init()
    {
        pump.yields = 0;
        pump.atYield = nullptr;
        testing::openMainWindow();
    }
    void cleanup() { testing::discardWindows(); }

    void acceptsOrPrompts_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("prompts");
        QTest::addColumn<QString>("boxAfter");
        QTest::addColumn<int>("yields"); // one per 110,000 draws, so the size that ran

        QTest::newRow("100") << "100" << 0 << "100" << 0;
        QTest::newRow("1000000 -> 1,000,000") << "1000000" << 0 << "1,000,000" << 9;
        QTest::newRow("1,000,000 read back") << "1,000,000" << 0 << "1,000,000" << 9;
        QTest::newRow("10000000") << "10000000" << 0 << "10,000,000" << 90;
        QTest::newRow("' 250 '") << " 250 " << 0 << "250" << 0;
        QTest::newRow("3.0") << "3.0" << 0 << "3" << 0;
        QTest::newRow("220000") << "220000" << 0 << "220,000" << 2;
        QTest::newRow("10000001") << "10000001" << 1 << "250" << 0;
        QTest::newRow("99999999999") << "99999999999" << 1 << "250" << 0;
        QTest::newRow("0") << "0" << 1 << "250" << 0;
        QTest::newRow("-5") << "-5" << 1 << "250" << 0;
        QTest::newRow("2.5") << "2.5" << 1 << "250" << 0;
        QTest::newRow("abc") << "abc" << 1 << "250" << 0;
        QTest::newRow("empty") << "" << 1 << "250" << 0;
    }
    void acceptsOrPrompts()
    {
        QFETCH(QString, typed);
        QFETCH(int, prompts);
        QFETCH(QString, boxAfter);
        QFETCH(int, yields);

        testing::ScriptedPrompt answers({QStringLiteral("250")});
        ScopedSeam<platform::InputPrompt> promptSeam(platform::inputPrompt, answers);
        ScopedSeam<platform::EventPump> pumpSeam(platform::eventPump, pump);
        ScopedSeam<platform::Clock> clockSeam(platform::timeOfDay, clock);
        ScopedSeam<platform::NumberLocale> localeSeam(platform::numberLocale, english);

        press(typed);

        QCOMPARE(answers.messages.size(), prompts);
        QCOMPARE(window().txtNum->text(), boxAfter);
        QCOMPARE(pump.yields, yields);
        QVERIFY(!answers.ranDry);
        for (const QString& title : answers.titles)
            QCOMPARE(title, QStringLiteral("Vellorin"));
        for (const QString& message : answers.messages)
            QCOMPARE(message, QStringLiteral("Bad number! Please choose a positive integer between 1 and 10 million."));
    }

    void resultsHaveTheirShapes_data()
    {
        QTest::addColumn<QString>("size");
        QTest::newRow("1") << "1";
        QTest::newRow("100") << "100";
        QTest::newRow("1000000") << "1000000";
    }
    void resultsHaveTheirShapes()
    {
        QFETCH(QString, size);
        ScopedSeam<platform::Clock> clockSeam(platform::timeOfDay, clock);
        ScopedSeam<platform::NumberLocale> localeSeam(platform::numberLocale, english);

        press(size);

        const QRegularExpression figure(QStringLiteral("^[01]\\.\\d{5}$"));
        const QRegularExpression share(QStringLiteral("^%\\d{1,3}\\.\\d{0,4}$"));
        const QStringList texts = resultTexts();
        for (int i = 0; i < 3; ++i)
            QVERIFY2(figure.match(texts[i]).hasMatch(), qPrintable(texts[i]));
        for (int i = 3; i < 8; ++i)
            QVERIFY2(share.match(texts[i]).hasMatch(), qPrintable(texts[i]));

        // The shares are rounded to four decimals each.
        QVERIFY(qAbs(sharesTotal() - 100.0) <= 5 * 0.00005 + 1e-9);
        const double average = texts[0].toDouble(), biggest = texts[1].toDouble(), smallest = texts[2].toDouble();
        QVERIFY(smallest <= average && average <= biggest);
        QVERIFY(!window().tmrWorking->isActive());
        QVERIFY(window().lblWorking->isHidden());
    }

    // One draw is the average, the biggest and the smallest at once, and
    // the row of the fifth it lies in holds all of it. Different seeds put
    // it in different fifths, until every row has had its turn.
    void oneDrawShowsItEverywhere()
    {
        ScopedSeam<platform::NumberLocale> localeSeam(platform::numberLocale, english);
        QSet<int> rowsSeen;
        for (int seed = 0; seed < 500 && rowsSeen.size() < 5; ++seed) {
            testing::FixedClock time(seed * 0.25f);
            ScopedSeam<platform::Clock> clockSeam(platform::timeOfDay, time);
            press(QStringLiteral("1"));

            const QString draw = window().lblAve->text();
            QCOMPARE(window().lblMax->text(), draw);
            QCOMPARE(window().lblMin->text(), draw);
            // Shown to five decimals, a draw this close to a fifth's edge
            // may lie on either side of it.
            const double fifths = draw.toDouble() * 5;
            if (qAbs(fifths - qRound(fifths)) <= 5 * 0.000005)
                continue;
            const int row = static_cast<int>(fifths) + 1;
            for (int bin = 1; bin <= 5; ++bin)
                QCOMPARE(window().lblN(bin)->text(), bin == row ? QStringLiteral("%100.") : QStringLiteral("%0."));
            rowsSeen << row;
        }
        QCOMPARE(rowsSeen.size(), 5);
    }

    void promptLoopWritesEachAnswerBack()
    {
        testing::ScriptedPrompt answers({QStringLiteral("abc"), QStringLiteral("1234.7"), QStringLiteral("0"),
                                         QString(), QStringLiteral("250")});
        QStringList boxWhenAsked;
        QList<bool> blankWhenAsked, timerWhenAsked;
        answers.whileOpen = [&] {
            boxWhenAsked << window().txtNum->text();
            blankWhenAsked << (resultTexts().join(QString()).isEmpty());
            timerWhenAsked << window().tmrWorking->isActive();
        };
        ScopedSeam<platform::InputPrompt> promptSeam(platform::inputPrompt, answers);
        ScopedSeam<platform::EventPump> pumpSeam(platform::eventPump, pump);
        ScopedSeam<platform::Clock> clockSeam(platform::timeOfDay, clock);
        ScopedSeam<platform::NumberLocale> localeSeam(platform::numberLocale, english);

        press(QStringLiteral("abc"));

        // Each answer is written back before the next question: typed text
        // as typed, a number grouped and rounded, zero and Cancel as an
        // empty box.
        QCOMPARE(boxWhenAsked, (QStringList{"abc", "abc", "1,235", "", ""}));
        QCOMPARE(blankWhenAsked, (QList<bool>{true, true, true, true, true}));
        QCOMPARE(timerWhenAsked, (QList<bool>{true, true, true, true, true}));
        QVERIFY(!answers.ranDry);
        QCOMPARE(window().txtNum->text(), QStringLiteral("250"));
        QVERIFY(!resultTexts().join(QString()).isEmpty());
    }

    void labelsBlankBeforeThePrompt()
    {
        ScopedSeam<platform::Clock> clockSeam(platform::timeOfDay, clock);
        ScopedSeam<platform::NumberLocale> localeSeam(platform::numberLocale, english);
        press(QStringLiteral("100"));
        QVERIFY(!window().lblAve->text().isEmpty());

        testing::ScriptedPrompt answers({QStringLiteral("5")});
        QStringList seen;
        answers.whileOpen = [&] { seen = resultTexts(); };
        ScopedSeam<platform::InputPrompt> promptSeam(platform::inputPrompt, answers);
        press(QStringLiteral("abc"));
        QCOMPARE(seen, QStringList(8, QString()));
    }

    // Blanking goes shares 1 to 5, then average, biggest, smallest; the
    // results come average, biggest, smallest, then shares 1 to 5.
    void labelsChangeInTheirOrder()
    {
        testing::RunStandIns standIns;
        QList<QLabel*> results{window().lblAve, window().lblMax, window().lblMin};
        for (int bin = 1; bin <= 5; ++bin)
            results << window().lblN(bin);
        for (QLabel* label : results)
            label->setText(QStringLiteral("x")); // so that blanking changes each one
        auto* recorder = new TextChangeRecorder(results);
        window().fraOutput->setLayout(recorder);

        press(QStringLiteral("100"));

        const QStringList shares{"lblN(1)", "lblN(2)", "lblN(3)", "lblN(4)", "lblN(5)"};
        const QStringList summary{"lblAve", "lblMax", "lblMin"};
        QCOMPARE(recorder->changes, shares + summary + summary + shares);
    }

    void indicatorEndsHiddenWhateverItsPhase_data()
    {
        QTest::addColumn<int>("ticksWhilePrompted");
        QTest::newRow("shown when the run ends") << 1;
        QTest::newRow("hidden when the run ends") << 2;
    }
    void indicatorEndsHiddenWhateverItsPhase()
    {
        QFETCH(int, ticksWhilePrompted);
        testing::ScriptedPrompt answers({QStringLiteral("300000")});
        answers.whileOpen = [&] {
            for (int i = 0; i < ticksWhilePrompted; ++i)
                window().working->tmrWorking_Timer();
        };
        ScopedSeam<platform::InputPrompt> promptSeam(platform::inputPrompt, answers);
        ScopedSeam<platform::NumberLocale> localeSeam(platform::numberLocale, english);
        bool shownAtFirstYield = false;
        pump.atYield = [&](int yield) {
            if (yield == 1)
                shownAtFirstYield = !window().lblWorking->isHidden();
        };
        ScopedSeam<platform::EventPump> pumpSeam(platform::eventPump, pump);

        press(QStringLiteral("abc"));

        QCOMPARE(shownAtFirstYield, ticksWhilePrompted % 2 == 1);
        QVERIFY(!window().tmrWorking->isActive());
        QVERIFY(window().lblWorking->isHidden());
    }

    void secondPressDuringARunIsIgnored()
    {
        ScopedSeam<platform::NumberLocale> localeSeam(platform::numberLocale, english);
        int pressesAtYield = 0;
        pump.atYield = [&](int yield) {
            if (yield == 1) {
                ++pressesAtYield;
                QTest::mouseClick(window().cmdRun, Qt::LeftButton);
            }
        };
        ScopedSeam<platform::EventPump> pumpSeam(platform::eventPump, pump);

        press(QStringLiteral("330000"));

        // A nested run would have yielded three more times.
        QCOMPARE(pressesAtYield, 1);
        QCOMPARE(pump.yields, 3);
        QCOMPARE(window().txtNum->text(), QStringLiteral("330,000"));
        QVERIFY(!window().lblAve->text().isEmpty());
        QVERIFY(!window().tmrWorking->isActive());
    }

    // The results reach a screen reader once the run is done, each as its
    // label shows it and named by what it is; a refused size and the open
    // prompt say nothing.
    void resultsAreAnnouncedOnce()
    {
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
        QSKIP("this Qt has no announcements");
#else
        testing::ScriptedPrompt answers({QStringLiteral("1000000")});
        qsizetype whilePrompted = -1;
        answers.whileOpen = [&] { whilePrompted = announcements.size(); };
        testing::FixedSeparators german(",", ".");
        ScopedSeam<platform::InputPrompt> promptSeam(platform::inputPrompt, answers);
        ScopedSeam<platform::NumberLocale> localeSeam(platform::numberLocale, german);
        ScopedSeam<platform::Clock> clockSeam(platform::timeOfDay, clock);
        announcements.clear();
        QAccessible::installUpdateHandler(recordAnnouncement);
        QAccessible::setActive(true);

        press(QStringLiteral("abc"));
        QAccessible::installUpdateHandler(nullptr);
        QAccessible::setActive(false);

        QCOMPARE(whilePrompted, 0);
        QCOMPARE(announcements.size(), 1);
        QCOMPARE(announcements[0].source, static_cast<QObject*>(window().window()));
        QVERIFY(announcements[0].polite);
        // In the labels' own texts, German separators and all, in their order.
        const QStringList results{"Average: " + window().lblAve->text(), "Biggest: " + window().lblMax->text(),
                                  "Smallest: " + window().lblMin->text(), "0.0 to 0.2: " + window().lblN(1)->text(),
                                  "0.2 to 0.4: " + window().lblN(2)->text(), "0.4 to 0.6: " + window().lblN(3)->text(),
                                  "0.6 to 0.8: " + window().lblN(4)->text(), "0.8 to 1.0: " + window().lblN(5)->text()};
        const QString& message = announcements[0].message;
        qsizetype from = 0;
        for (const QString& result : results) {
            const qsizetype at = message.indexOf(result, from);
            QVERIFY2(at >= 0, qPrintable(QStringLiteral("no '%1' after the results before it in '%2'").arg(result, message)));
            from = at + result.size();
        }
#endif
    }

    void germanSeparatorsReadAndWriteAlike()
    {
        testing::FixedSeparators german(",", ".");
        ScopedSeam<platform::NumberLocale> localeSeam(platform::numberLocale, german);
        ScopedSeam<platform::EventPump> pumpSeam(platform::eventPump, pump);

        press(QStringLiteral("1000000"));
        QCOMPARE(window().txtNum->text(), QStringLiteral("1.000.000"));
        QTest::mouseClick(window().cmdRun, Qt::LeftButton);
        QCOMPARE(window().txtNum->text(), QStringLiteral("1.000.000"));
        QCOMPARE(pump.yields, 18);
        QVERIFY(window().lblAve->text().contains(QLatin1Char(',')));
        QVERIFY(window().lblN(1)->text().endsWith(QLatin1Char(',')) || window().lblN(1)->text().contains(QLatin1Char(',')));
    }
};

QTEST_MAIN(tst_RunCommand)
#include "tst_runcommand.moc"
