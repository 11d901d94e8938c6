#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace info {

class LinkLabel;

/// The software information dialog "バージョン情報": the information text,
/// the contact block, and links to the web page, the installation folder and
/// the read-me file. Every link goes through app::ui().openExternally and
/// turns dark red once clicked.
class clsInfo : public QDialog {
    Q_OBJECT
public:
    /// `installFolder` is where the program's files and its read-me are installed.
    explicit clsInfo(const QString& installFolder, QWidget* parent = nullptr);

    /// Fills the dialog (pr_subSetContact) and shows it modally.
    void pu_subFormShow(const QString& sMsg);
    /// Puts `sMsg` into TxtMsg, fills the contact block's placeholders and
    /// gives LblURL the web page address.
    void pr_subSetContact(const QString& sMsg);

    /// The colour links take once they have been clicked.
    static QColor visitedColor() { return QColor(192, 0, 0); }

private:
    void LblURL_Click();
    void LblInstallPath_Click();
    void LblReadMe_Click();

    QString m_installFolder;
    QPlainTextEdit* TxtMsg;
    QPlainTextEdit* TxtURL;
    LinkLabel* LblURL;
    LinkLabel* LblInstallPath;
    LinkLabel* LblReadMe;
    QPushButton* CmdClose;
};

/// Builds the information text from `executablePath`'s modification date and
/// shows the dialog modally. When the text cannot be built or the dialog not
/// opened, says "予期せぬエラー" and why, under the caption "バージョン情報".
void pu_subInfoShow(QWidget* parent, const QString& executablePath, const QString& installFolder);
/// The same for the running program and its data folder (the executable's
/// folder in a build, the installed data folder with the read-me otherwise).
void pu_subInfoShow(QWidget* parent);

} // namespace info
