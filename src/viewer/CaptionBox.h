#pragma once

#include <QPlainTextEdit>

namespace viewer {

/// A read-only, multi-line text box (the caption strips under the overview
/// pictures). It keeps its text exactly as given, CR LF included, and shows
/// each CR LF as a line break. Its font is the toolkit's small size, made
/// smaller where the platform's fonts would cut the last line off.
class CaptionBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CaptionBox(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const { return m_text; }
    /// The height the laid-out text takes, in pixels.
    double textHeight() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitFontToHeight();

    QString m_text;
};

} // namespace viewer
