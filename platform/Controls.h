// The controls windows are built from, each made at a fixed rectangle.
// Labels wrap at word boundaries inside their box and are cut off at its
// bottom edge; they never resize themselves and never take the focus.
#pragma once

#include <QColor>
#include <QGroupBox>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace vellorin::platform {

struct TextStyle {
    QColor color{};                   // invalid: the window's text colour
    double pointSize = 8.25;
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// A frame: an etched outline whose top edge runs through the middle of
// its caption (the group box's title), the caption standing on the window
// background. As a group box it is announced as a panel named by its caption.
class FrameBox : public QGroupBox {
    Q_OBJECT
public:
    FrameBox(QWidget* container, const char* name, const QString& caption, QRect geometry);
    // The caption's own look; the controls inside keep the window's.
    void setCaptionStyle(const QFont& font, const QColor& color);
    QFont captionFont() const { return captionFont_; }
    QColor captionColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont captionFont_;
    QColor captionColor_;
};

// A push button whose caption wraps onto more lines when it is wider than
// the button, as a fixed-size button needs.
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    CommandButton(QWidget* container, const char* name, const QString& caption, QRect geometry);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect captionArea() const;
};

QLabel* makeLabel(QWidget* container, const char* name, const QString& caption, QRect geometry,
                  const TextStyle& style = {});
FrameBox* makeFrame(QWidget* container, const char* name, const QString& caption, QRect geometry,
                    const TextStyle& style = {});
CommandButton* makeButton(QWidget* container, const char* name, const QString& caption, QRect geometry);
QLineEdit* makeTextBox(QWidget* container, const char* name, const QString& text, QRect geometry,
                       const TextStyle& style = {});

// An outline rectangle: one solid pixel in the window text colour, clear
// inside; pure drawing, it takes no input.
class ShapeRectangle : public QWidget {
    Q_OBJECT
public:
    ShapeRectangle(QWidget* container, const char* name, QRect geometry);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A one-pixel straight line between two points of its container.
class LineShape : public QWidget {
    Q_OBJECT
public:
    LineShape(QWidget* container, const char* name, QPoint from, QPoint to, QColor color);
    QPoint from() const { return from_; }
    QPoint to() const { return to_; }
    QColor color() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QPoint from_;
    const QPoint to_;
    const QColor color_;
};

} // namespace vellorin::platform
