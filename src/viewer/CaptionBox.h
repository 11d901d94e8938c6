#pragma once

#include <QTextEdit>

namespace viewer {

/// A read-only, multi-line text box (the count strips under the overview
/// pictures). It keeps its text exactly as given, CR LF included, and shows
/// each CR LF as a line break. Two lines must fit its design height, and
/// Japanese text draws in a fallback font whose own line spacing is about
/// half as much again as its size; so the lines are set at a fixed spacing
/// a little over the font size, which lets the font be as large as the
/// strip allows instead of a few pixels high.
class CaptionBox : public QTextEdit {
    Q_OBJECT
public:
    explicit CaptionBox(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const { return m_text; }
    /// The height the laid-out lines take at their spacing, in pixels.
    double textHeight() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitFontToHeight();
    void setLineSpacing(int pixels);

    QString m_text;
};

} // namespace viewer
