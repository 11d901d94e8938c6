#pragma once

#include <QPlainTextEdit>

namespace viewer {

/// A read-only, multi-line text box (the caption strips under the overview
/// pictures). It keeps its text exactly as given, CR LF included, and shows
/// each CR LF as a line break.
class CaptionBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CaptionBox(QWidget* parent = nullptr);
    void setText(const QString& text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

} // namespace viewer
