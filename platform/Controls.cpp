#include "platform/Controls.h"

#include "platform/ProgramFont.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <limits>

namespace vellorin::platform {
namespace {

void applyStyle(QWidget* widget, const TextStyle& style, QPalette::ColorRole role)
{
    widget->setFont(programFont(style.pointSize, style.bold));
    if (style.color.isValid()) {
        QPalette palette = widget->palette();
        palette.setColor(role, style.color);
        widget->setPalette(palette);
    }
}

template <class Control>
Control* place(Control* control, const char* name, QRect geometry)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

} // namespace

QLabel* makeLabel(QWidget* container, const char* name, const QString& caption, QRect geometry,
                  const TextStyle& style)
{
    auto* label = place(new QLabel(caption, container), name, geometry);
    label->setWordWrap(true);
    label->setAlignment(style.alignment | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    label->setFocusPolicy(Qt::NoFocus);
    label->setAutoFillBackground(true);
    applyStyle(label, style, QPalette::WindowText);
    return label;
}

FrameBox* makeFrame(QWidget* container, const char* name, const QString& caption, QRect geometry,
                    const TextStyle& style)
{
    auto* frame = new FrameBox(container, name, caption, geometry);
    frame->setCaptionStyle(programFont(style.pointSize, style.bold), style.color);
    return frame;
}

CommandButton* makeButton(QWidget* container, const char* name, const QString& caption, QRect geometry)
{
    return new CommandButton(container, name, caption, geometry);
}

FrameBox::FrameBox(QWidget* container, const char* name, const QString& caption, QRect geometry)
    : QGroupBox(caption, container)
{
    place(this, name, geometry);
}

void FrameBox::setCaptionStyle(const QFont& font, const QColor& color)
{
    captionFont_ = font;
    captionColor_ = color;
    update();
}

QColor FrameBox::captionColor() const
{
    return captionColor_.isValid() ? captionColor_ : palette().color(QPalette::WindowText);
}

void FrameBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics(captionFont_);
    const QRect outline = rect().adjusted(0, metrics.height() / 2, -2, -2);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(outline);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(outline.translated(1, 1));
    if (title().isEmpty())
        return;
    const QRect captionRect(6, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
    painter.fillRect(captionRect, palette().window());
    painter.setFont(captionFont_);
    painter.setPen(captionColor());
    painter.drawText(captionRect, Qt::AlignCenter, title());
}

CommandButton::CommandButton(QWidget* container, const char* name, const QString& caption, QRect geometry)
    : QPushButton(caption, container)
{
    place(this, name, geometry);
    setFont(programFont());
    setAutoDefault(false);
}

QRect CommandButton::captionArea() const
{
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
}

void CommandButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(captionArea(), Qt::AlignCenter | Qt::TextWordWrap, text());
}

QLineEdit* makeTextBox(QWidget* container, const char* name, const QString& text, QRect geometry,
                       const TextStyle& style)
{
    auto* box = place(new QLineEdit(container), name, geometry);
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setText(text);
    box->setAlignment(style.alignment | Qt::AlignVCenter);
    applyStyle(box, style, QPalette::Text);
    return box;
}

ShapeRectangle::ShapeRectangle(QWidget* container, const char* name, QRect geometry)
    : QWidget(container)
{
    place(this, name, geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void ShapeRectangle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 0));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

LineShape::LineShape(QWidget* container, const char* name, QPoint from, QPoint to, QColor color)
    : QWidget(container)
    , from_(from)
    , to_(to)
    , color_(color)
{
    place(this, name, QRect(from, to).normalized());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void LineShape::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(color_, 0));
    painter.drawLine(from_ - pos(), to_ - pos());
}

} // namespace vellorin::platform
