#include "LayerFilterBox.h"

#include <QKeyEvent>

namespace viewer {

LayerFilterBox::LayerFilterBox(QWidget* parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("LayerFilter"));
    setPlaceholderText(QStringLiteral("画層名フィルタ"));
    setToolTip(patternRules());
}

QString LayerFilterBox::patternRules()
{
    return QStringLiteral(
        "名前が一致する画層を一覧で選択します（大文字と小文字は区別しません）。\n"
        "ワイルドカードのない語は、その語を含む名前に一致します。\n"
        "*  任意の文字列（なしも可）　　?  任意の1文字\n"
        "#  数字1文字　　@  英字1文字　　.  英数字以外の1文字\n"
        "[abc] [a-z]  いずれかの1文字　　[~abc]  それ以外の1文字\n"
        "`x  文字 x そのもの（例: `#）\n"
        "~  先頭に付けると、続くパターンに一致しない名前\n"
        ",  区切った複数のパターンのどれかに一致\n"
        "Enter: 一覧へ移動　　Esc: フィルタと選択を解除");
}

void LayerFilterBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        emit escapePressed();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace viewer
