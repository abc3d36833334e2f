// Every text fits its box, in all three windows, with the bundled face:
// labels wrap at word boundaries inside a fixed box and are cut off at its
// bottom edge, so a text that needs more lines than its box holds, or a
// word wider than its box, would be lost on screen. Also the frames'
// captions, the buttons' captions, and the widest texts a run can write
// into the result labels and the sample-size box.
#include "platform/Controls.h"
#include "platform/FormWindow.h"
#include "platform/ProgramFont.h"
#include "support/MainWindowFixture.h"
#include "ui/Forms.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTextLayout>

#include <algorithm>

using namespace vellorin;

namespace {

// Taller than any box, so the bounding rectangle is the text's own height.
constexpr int unbounded = 100000;

platform::Form* formNamed(const QString& name)
{
    if (name == QLatin1String("frmMain"))
        return &*forms::frmMain;
    if (name == QLatin1String("frmInstructions"))
        return &*forms::frmInstructions;
    if (name == QLatin1String("frmHelp"))
        return &*forms::frmHelp;
    return nullptr;
}

const QStringList formNames{QStringLiteral("frmMain"), QStringLiteral("frmInstructions"),
                            QStringLiteral("frmHelp")};

// "frmHelp.lblA1" -> the label lblA1 of the help window.
template <class Widget>
Widget* widgetNamed(const QString& tag)
{
    const QString formName = tag.section(QLatin1Char('.'), 0, 0);
    const QString widgetName = tag.section(QLatin1Char('.'), 1);
    platform::Form* form = formNamed(formName);
    if (!form || !form->window())
        return nullptr;
    const QList<Widget*> found = form->window()->client()->findChildren<Widget*>(widgetName);
    return found.size() == 1 ? found.first() : nullptr;
}

// The lines of `text` as wrapped at word boundaries in `width`.
QStringList wrappedLines(const QString& text, const QFont& font, const QPaintDevice* device, int width)
{
    QString laidOut = text;
    laidOut.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    laidOut.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(laidOut, font, const_cast<QPaintDevice*>(device));
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << laidOut.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

// Where `text` does not fit a label-like box of `box` size, why; empty if
// it fits. Measured as QLabel draws plain word-wrapped text
// (QStyle::drawItemText -> QPainter::drawText with Qt::TextWordWrap and the
// label's alignment). Every line must be as wide as the box at most, and
// all lines must stand inside its height. One allowance: the descent of
// the last line may reach below the box if no glyph of that line goes down
// there (nothing visible is cut off); `note` then says so.
QString misfit(const QString& text, const QFont& font, const QPaintDevice* device, QSize box,
               Qt::Alignment alignment, QString* note = nullptr)
{
    const QFontMetrics metrics(font, const_cast<QPaintDevice*>(device));
    const QRect needed = metrics.boundingRect(QRect(0, 0, box.width(), unbounded),
                                              int(Qt::TextWordWrap | alignment), text);
    const QStringList lines = wrappedLines(text, font, device, box.width());
    const auto describe = [&] {
        QStringList described;
        for (const QString& line : lines)
            described << QStringLiteral("[%1 px] \"%2\"").arg(metrics.horizontalAdvance(line)).arg(line);
        return QStringLiteral("needs %1 x %2 px, the box is %3 x %4 px; lines (line spacing %5 px):\n    %6")
            .arg(needed.width()).arg(needed.height()).arg(box.width()).arg(box.height())
            .arg(metrics.lineSpacing()).arg(described.join(QStringLiteral("\n    ")));
    };
    if (needed.width() > box.width())
        return describe();
    if (needed.height() <= box.height())
        return {};
    // Only the last line's descent may hang out, and only where it is blank.
    const int lastBaseline = needed.height() - metrics.descent();
    const QRect ink = lines.isEmpty() ? QRect() : metrics.tightBoundingRect(lines.last());
    const int inkBottom = lastBaseline + std::max(0, ink.y() + ink.height());
    if (lastBaseline <= box.height() && inkBottom <= box.height()) {
        if (note)
            *note = QStringLiteral("its line box is %1 px high, %2 px more than the box; its last line has no "
                                   "descending glyph, so nothing visible is cut off (ink ends at %3 px)")
                        .arg(needed.height()).arg(needed.height() - box.height()).arg(inkBottom);
        return {};
    }
    return describe();
}

// The area a push button draws its caption in, as QPushButton describes
// itself to the style.
QRect buttonContents(const QPushButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.features = QStyleOptionButton::None;
    if (button->isFlat())
        option.features |= QStyleOptionButton::Flat;
    if (button->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    if (button->isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    if (button->isDown())
        option.state |= QStyle::State_Sunken;
    if (button->isChecked())
        option.state |= QStyle::State_On;
    if (!button->isFlat() && !button->isDown())
        option.state |= QStyle::State_Raised;
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
}

// The area a line edit draws its text in, as QLineEdit::paintEvent works it out.
QRect lineEditText(const QLineEdit* box)
{
    QStyleOptionFrame option;
    option.initFrom(box);
    option.rect = box->contentsRect();
    option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    option.features = QStyleOptionFrame::None;
    QRect area = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
    area = area.marginsRemoved(box->textMargins());
    constexpr int horizontalMargin = 2; // QLineEditPrivate::horizontalMargin
    constexpr int verticalMargin = 1;   // QLineEditPrivate::verticalMargin
    return area.adjusted(horizontalMargin, verticalMargin, -horizontalMargin, -verticalMargin);
}

} // namespace

class tst_TextFit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void bundledFace_data();
    void bundledFace();
    void labels_data();
    void labels();
    void frameCaptions_data();
    void frameCaptions();
    void buttonCaptions_data();
    void buttonCaptions();
    void widestShares_data();
    void widestShares();
    void widestFigures_data();
    void widestFigures();
    void widestSampleSize();
};

void tst_TextFit::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(platform::programFont());
    testing::openMainWindow();
    forms::frmInstructions->load();
    forms::frmHelp->load();
    for (const QString& name : formNames) {
        QVERIFY2(formNamed(name)->window(), qPrintable(name));
    }
}

void tst_TextFit::cleanupTestCase()
{
    testing::discardWindows();
}

void tst_TextFit::bundledFace_data()
{
    QTest::addColumn<double>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::newRow("8.25") << 8.25 << false;
    QTest::newRow("8.25 bold") << 8.25 << true;
    QTest::newRow("9.75 bold") << 9.75 << true;
    QTest::newRow("12 bold") << 12.0 << true;
    QTest::newRow("13.5") << 13.5 << false;
    QTest::newRow("17.25") << 17.25 << false;
}

void tst_TextFit::bundledFace()
{
    // The measurements below mean something only if the texts are laid out
    // in the face the program ships, not in whatever the machine falls back to.
    QFETCH(double, pointSize);
    QFETCH(bool, bold);
    const QFont font = platform::programFont(pointSize, bold);
    QCOMPARE(platform::programFontFamily(), QStringLiteral("Liberation Sans Narrow"));
    const QFontInfo info(font);
    QCOMPARE(info.family(), QStringLiteral("Liberation Sans Narrow"));
    QCOMPARE(info.bold(), bold);
    QVERIFY(info.exactMatch());
}

void tst_TextFit::labels_data()
{
    QTest::addColumn<int>("unused");
    int count = 0;
    for (const QString& formName : formNames) {
        const QList<QLabel*> labels = formNamed(formName)->window()->client()->findChildren<QLabel*>();
        for (QLabel* label : labels) {
            QTest::newRow(qPrintable(formName + QLatin1Char('.') + label->objectName())) << 0;
            ++count;
        }
    }
    // 20 labels on the main window, 3 on the instructions, 12 on the help window.
    QCOMPARE(count, 35);
}

void tst_TextFit::labels()
{
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    QLabel* label = widgetNamed<QLabel>(tag);
    QVERIFY2(label, "no such label, or its name is not unique");
    QVERIFY(label->wordWrap());
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->margin(), 0);
    QCOMPARE(label->contentsRect(), label->rect()); // no frame, no indent to subtract
    QCOMPARE(QFontInfo(label->font()).family(), platform::programFontFamily());

    QString text = label->text();
    if (tag == QLatin1String("frmHelp.lblA2")) {
        // Its caption ends with a line break; the empty line after it may
        // fall below the box. Measure the text without that empty line.
        QVERIFY(text.endsWith(QLatin1String("\r\n")));
        text.chop(2);
    }
    const Qt::Alignment alignment = label->alignment() & (Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask);
    QString note;
    const QString why = misfit(text, label->font(), label, label->size(), alignment, &note);
    QVERIFY2(why.isEmpty(), qPrintable(QStringLiteral("\"%1\" does not fit: %2").arg(text, why)));
    if (!note.isEmpty())
        qInfo("%s: %s", qPrintable(tag), qPrintable(note));
}

void tst_TextFit::frameCaptions_data()
{
    QTest::addColumn<int>("unused");
    int count = 0;
    for (const QString& formName : formNames) {
        const QList<platform::FrameBox*> frames = formNamed(formName)->window()->client()->findChildren<platform::FrameBox*>();
        for (platform::FrameBox* frame : frames) {
            QTest::newRow(qPrintable(formName + QLatin1Char('.') + frame->objectName())) << 0;
            ++count;
        }
    }
    QCOMPARE(count, 4); // fraInput, fraOutput, frmByMe, fraHelp
}

void tst_TextFit::frameCaptions()
{
    platform::FrameBox* frame = widgetNamed<platform::FrameBox>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(frame);
    QVERIFY(!frame->title().isEmpty());
    // FrameBox draws its caption from x = 6 on, 2 px of background either
    // side of the text, over the outline that ends 2 px inside the right edge.
    const QFontMetrics metrics(frame->font(), frame);
    const int captionRight = 6 + metrics.horizontalAdvance(frame->title()) + 4;
    const int outlineRight = frame->width() - 2;
    QVERIFY2(captionRight <= outlineRight,
             qPrintable(QStringLiteral("\"%1\" reaches x = %2, the frame's outline ends at x = %3")
                            .arg(frame->title()).arg(captionRight).arg(outlineRight)));
    QVERIFY(metrics.height() <= frame->height());
}

void tst_TextFit::buttonCaptions_data()
{
    QTest::addColumn<int>("unused");
    int count = 0;
    for (const QString& formName : formNames) {
        const QList<platform::CommandButton*> buttons =
            formNamed(formName)->window()->client()->findChildren<platform::CommandButton*>();
        for (platform::CommandButton* button : buttons) {
            QTest::newRow(qPrintable(formName + QLatin1Char('.') + button->objectName())) << 0;
            ++count;
        }
    }
    QCOMPARE(count, 3); // cmdRun and the two cmdClose
}

void tst_TextFit::buttonCaptions()
{
    auto* button = widgetNamed<platform::CommandButton>(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(button);
    const QRect area = buttonContents(button);
    QVERIFY(!area.isEmpty());
    const QFontMetrics metrics(button->font(), button);

    // As painted, wrapped at blanks: the whole caption inside the contents area.
    const QRect painted = metrics.boundingRect(area, int(Qt::AlignCenter | Qt::TextWordWrap), button->text());
    QVERIFY2(area.contains(painted),
             qPrintable(QStringLiteral("painted caption %1,%2 %3x%4 outside contents %5,%6 %7x%8")
                            .arg(painted.x()).arg(painted.y()).arg(painted.width()).arg(painted.height())
                            .arg(area.x()).arg(area.y()).arg(area.width()).arg(area.height())));
}

void tst_TextFit::widestShares_data()
{
    QTest::addColumn<QString>("text");
    // "%0.####": every digit of the face is as wide as every other, so
    // these are as wide as a share can be: the most digits, and 100 %.
    QTest::newRow("%19.9999") << QStringLiteral("%19.9999");
    QTest::newRow("%100.") << QStringLiteral("%100.");
    QTest::newRow("%0.0001") << QStringLiteral("%0.0001");
    QTest::newRow("%20.") << QStringLiteral("%20.");
}

void tst_TextFit::widestShares()
{
    QFETCH(QString, text);
    ui::frmMain& form = *forms::frmMain;
    for (int bin = 1; bin <= 5; ++bin) {
        QLabel* label = form.lblN(bin);
        QVERIFY(label);
        const QString why = misfit(text, label->font(), label, label->size(),
                                   label->alignment() & Qt::AlignHorizontal_Mask);
        QVERIFY2(why.isEmpty(), qPrintable(QStringLiteral("lblN(%1): %2").arg(bin).arg(why)));
        // On one line: a share must not break at its decimal separator.
        const QFontMetrics metrics(label->font(), label);
        QVERIFY(metrics.horizontalAdvance(text) <= label->width());
    }
}

void tst_TextFit::widestFigures_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("0.00000") << QStringLiteral("0.00000");
    QTest::newRow("1.00000") << QStringLiteral("1.00000");
    QTest::newRow("0.99999") << QStringLiteral("0.99999");
}

void tst_TextFit::widestFigures()
{
    QFETCH(QString, text);
    ui::frmMain& form = *forms::frmMain;
    for (QLabel* label : {form.lblAve, form.lblMax, form.lblMin}) {
        const QString why = misfit(text, label->font(), label, label->size(),
                                   label->alignment() & Qt::AlignHorizontal_Mask);
        QVERIFY2(why.isEmpty(), qPrintable(label->objectName() + QStringLiteral(": ") + why));
        const QFontMetrics metrics(label->font(), label);
        QVERIFY(metrics.horizontalAdvance(text) <= label->width());
    }
}

void tst_TextFit::widestSampleSize()
{
    // The largest sample size, grouped, in the box's own 12 point bold.
    QLineEdit* box = forms::frmMain->txtNum;
    QVERIFY(box);
    const QString text = QStringLiteral("10,000,000");
    const QRect area = lineEditText(box);
    const QFontMetrics metrics(box->font(), box);
    QVERIFY2(metrics.horizontalAdvance(text) <= area.width(),
             qPrintable(QStringLiteral("\"%1\" is %2 px wide, the box shows %3 px")
                            .arg(text).arg(metrics.horizontalAdvance(text)).arg(area.width())));
    QVERIFY2(metrics.height() <= area.height(),
             qPrintable(QStringLiteral("the text is %1 px high, the box shows %2 px")
                            .arg(metrics.height()).arg(area.height())));

}

QTEST_MAIN(tst_TextFit)
#include "tst_textfit.moc"
