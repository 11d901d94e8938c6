#include "clsInfo.h"

#include "InfoText.h"
#include "LinkLabel.h"

#include "app/ProgramFolder.h"
#include "app/UserInterface.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <exception>

namespace info {

namespace {
const QString kCaption = QStringLiteral("バージョン情報");

/// Text boxes keep CR LF line ends; the widget wants plain line feeds.
QString forDisplay(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QPlainTextEdit* readOnlyTextBox(QWidget* parent)
{
    auto* box = new QPlainTextEdit(parent);
    box->setReadOnly(true);
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    return box;
}
} // namespace

clsInfo::clsInfo(const QString& installFolder, QWidget* parent)
    : QDialog(parent), m_installFolder(installFolder)
{
    setObjectName(QStringLiteral("clsInfo"));
    setWindowTitle(kCaption);

    TxtMsg = readOnlyTextBox(this);
    TxtMsg->setObjectName(QStringLiteral("TxtMsg"));
    // The fixed-pitch Japanese face keeps the bracketed headings aligned.
    QFont fixedPitch(QStringLiteral("ＭＳ ゴシック"));
    fixedPitch.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("Noto Sans Mono CJK JP"),
                            QFontDatabase::systemFont(QFontDatabase::FixedFont).family()});
    TxtMsg->setFont(fixedPitch);
    TxtMsg->setMinimumSize(420, 190);

    TxtURL = readOnlyTextBox(this);
    TxtURL->setObjectName(QStringLiteral("TxtURL"));
    TxtURL->setPlainText(forDisplay(contactTemplate()));
    TxtURL->setFixedHeight(80);

    LblURL = new LinkLabel(QString(), this);
    LblURL->setObjectName(QStringLiteral("LblURL"));
    LblInstallPath = new LinkLabel(QStringLiteral("ソフトのインストール先を表示"), this);
    LblInstallPath->setObjectName(QStringLiteral("LblInstallPath"));
    LblReadMe = new LinkLabel(QStringLiteral("ReadMeを表示"), this);
    LblReadMe->setObjectName(QStringLiteral("LblReadMe"));
    CmdClose = new QPushButton(QStringLiteral("閉じる"), this);
    CmdClose->setObjectName(QStringLiteral("CmdClose"));

    connect(LblURL, &LinkLabel::clicked, this, &clsInfo::LblURL_Click);
    connect(LblInstallPath, &LinkLabel::clicked, this, &clsInfo::LblInstallPath_Click);
    connect(LblReadMe, &LinkLabel::clicked, this, &clsInfo::LblReadMe_Click);
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* links = new QHBoxLayout;
    links->addWidget(LblInstallPath);
    links->addSpacing(16);
    links->addWidget(LblReadMe);
    links->addStretch();
    links->addWidget(CmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TxtMsg);
    layout->addWidget(TxtURL);
    layout->addWidget(LblURL);
    layout->addLayout(links);
}

void clsInfo::pr_subSetContact(const QString& sMsg)
{
    TxtURL->setPlainText(fillContact(TxtURL->toPlainText(), kWebPageUrl, kSupportMail));
    LblURL->setText(kWebPageUrl);
    TxtMsg->setPlainText(forDisplay(sMsg));
}

void clsInfo::pu_subFormShow(const QString& sMsg)
{
    pr_subSetContact(sMsg);
    exec();
}

// The links leave failures to the desktop, which reports them its own way.
void clsInfo::LblURL_Click()
{
    app::ui().openExternally(QUrl(LblURL->text()));
    LblURL->setTextColor(visitedColor());
}

void clsInfo::LblInstallPath_Click()
{
    app::ui().openExternally(QUrl::fromLocalFile(m_installFolder));
    LblInstallPath->setTextColor(visitedColor());
}

void clsInfo::LblReadMe_Click()
{
    app::ui().openExternally(QUrl::fromLocalFile(QDir(m_installFolder).filePath(kReadMeFileName)));
    LblReadMe->setTextColor(visitedColor());
}

void pu_subInfoShow(QWidget* parent, const QString& executablePath, const QString& installFolder)
{
    try {
        const QString text = buildInfoText(executablePath);
        clsInfo dialog(installFolder, parent);
        dialog.pu_subFormShow(text);
    } catch (const std::exception& failure) {
        app::ui().message(QStringLiteral("予期せぬエラー\r\n") + QString::fromStdString(failure.what()),
                          app::MsgButtons::Ok, app::MsgIcon::Critical, kCaption);
    }
}

void pu_subInfoShow(QWidget* parent)
{
    pu_subInfoShow(parent, QCoreApplication::applicationFilePath(), app::dataFolder());
}

} // namespace info
