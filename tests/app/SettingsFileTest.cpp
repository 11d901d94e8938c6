#include "app/IniSettings.h"
#include "app/PrivateProfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "OwnProgramFolder.h"
#include "TestFiles.h"

#include <cstdlib>
#include <unistd.h>

using namespace app;

namespace {

using testsupport::readAll;
using testsupport::writeAll;

/// Each test gets its own program folder.
using SettingsFile = OwnProgramFolder;

} // namespace

TEST(PrivateProfile, ReadsLikeThePlatform)
{
    const PrivateProfile p(
        "; comment\r\n"
        "stray=1\r\n"
        "  [ WmfPosi ]  trailing\r\n"
        "LEFT = 1230 \r\n"
        "quoted=\"  spaced  \"\r\n"
        "single='x'\r\n"
        "half=\"x\r\n"
        "noequals\r\n"
        "empty=\r\n"
        "left=999\r\n"
        "[other]\r\n"
        "top=5\r\n"
        "[wmfposi]\r\n"
        "top=77\r\n");
    EXPECT_EQ(p.value("WMFPosi", "left"), QString("1230"));  // names ignore case; first key wins
    EXPECT_EQ(p.value("wmfposi", "quoted"), QString("  spaced  "));
    EXPECT_EQ(p.value("WMFPosi", "single"), QString("x"));
    EXPECT_EQ(p.value("WMFPosi", "half"), QString("\"x"));
    EXPECT_EQ(p.value("WMFPosi", "empty"), QString(""));
    EXPECT_FALSE(p.value("WMFPosi", "noequals"));
    EXPECT_FALSE(p.value("WMFPosi", "top"));  // a later section of the same name is not read
    EXPECT_FALSE(p.value("WMFPosi", "stray"));
    EXPECT_EQ(p.value("other", "top"), QString("5"));
}

TEST(PrivateProfile, WritingTouchesOnlyItsLine)
{
    const QByteArray original = "; keep me\n[A]\nx = 1 ; note\n\n[WMFPosi]\nLeft=1\n\n[B]\ny=2";
    PrivateProfile p(original);
    ASSERT_TRUE(p.setValue("wmfposi", "left", "1230"));
    ASSERT_TRUE(p.setValue("WMFPosi", "top", "45"));
    ASSERT_TRUE(p.setValue("B", "z", "3"));
    ASSERT_TRUE(p.setValue("New", "k", "v"));
    EXPECT_EQ(p.content(),
              QByteArray("; keep me\n[A]\nx = 1 ; note\n\n[WMFPosi]\nLeft=1230\ntop=45\n\n[B]\ny=2\nz=3\n[New]\nk=v\n"));

    PrivateProfile empty;
    ASSERT_TRUE(empty.setValue("WMFPosi", "left", "0"));
    EXPECT_EQ(empty.content(), QByteArray("[WMFPosi]\r\nleft=0\r\n"));
}

TEST(PrivateProfile, RefusesTextThatWouldInjectLines)
{
    PrivateProfile p("[S]\r\nk=1\r\n");
    EXPECT_FALSE(p.setValue("S", "k", "1\r\n[Evil]\r\nx=1"));
    EXPECT_FALSE(p.setValue("S", "a=b", "1"));
    EXPECT_FALSE(p.setValue("S]x", "k", "1"));
    EXPECT_FALSE(p.setValue("", "k", "1"));
    EXPECT_FALSE(p.setValue("S", " ", "1"));
    EXPECT_EQ(p.content(), QByteArray("[S]\r\nk=1\r\n"));
}

TEST(PrivateProfile, KeepsCodePage932Lines)
{
    // "[設定]\r\n名前=図面\r\nleft=1\r\n" in code page 932: not valid UTF-8.
    const QByteArray sjis("[\x90\xdd\x92\xe8]\r\n\x96\xbc\x91\x4f=\x90\x7d\x96\xca\r\nleft=1\r\n");
    PrivateProfile p(sjis);
    EXPECT_EQ(p.value(QStringLiteral("設定"), QStringLiteral("名前")), QStringLiteral("図面"));
    ASSERT_TRUE(p.setValue(QStringLiteral("設定"), "left", QStringLiteral("表")));
    QByteArray expected = sjis;
    expected.replace("left=1", "left=\x95\x5c");  // 表: its second byte is a backslash
    EXPECT_EQ(p.content(), expected);
    EXPECT_FALSE(p.setValue(QStringLiteral("設定"), "x", QStringLiteral("😀")));  // no code for it
}

TEST(PrivateProfile, IntegerReading)
{
    EXPECT_EQ(profileInteger("1230"), 1230);
    EXPECT_EQ(profileInteger("  -48000"), -48000);
    EXPECT_EQ(profileInteger("+15"), 15);
    EXPECT_EQ(profileInteger("1230.75"), 1230);  // a fraction is dropped
    EXPECT_EQ(profileInteger("12abc"), 12);
    EXPECT_EQ(profileInteger("abc"), 0);
    EXPECT_EQ(profileInteger("- 5"), 0);
    EXPECT_EQ(profileInteger("0x10"), 0);
    EXPECT_EQ(profileInteger("2147483647"), 2147483647);
    EXPECT_EQ(profileInteger("-2147483648"), INT32_MIN);
    // Beyond 32 bits the nearest bound, never a wrapped value.
    EXPECT_EQ(profileInteger("2147483648"), INT32_MAX);
    EXPECT_EQ(profileInteger("4294967296"), INT32_MAX);
    EXPECT_EQ(profileInteger("-2147483649"), INT32_MIN);
    EXPECT_EQ(profileInteger("-99999999999"), INT32_MIN);
    EXPECT_EQ(profileInteger("  99999999999999999999999999999999999999 twips"), INT32_MAX);
}

TEST_F(SettingsFile, BareNameIsResolvedOnceAndAbsolutePathsNever)
{
    QString name = "QEMTINF.ini";
    EXPECT_EQ(SetINI(name), -1);  // created, on a local disk
    EXPECT_EQ(name, home() + "/QEMTINF.ini");
    EXPECT_TRUE(QFile::exists(name));
    EXPECT_EQ(readAll(name), QByteArray());
    EXPECT_TRUE(iniWritePermitted());
    const QString resolved = name;
    EXPECT_EQ(SetINI(name), 1);
    EXPECT_EQ(name, resolved);

    QString empty;
    EXPECT_EQ(SetINI(empty), 0);
    EXPECT_TRUE(empty.isEmpty());

    for (const QString& absolute : {QStringLiteral("C:\\x\\QEMTINF.ini"), QStringLiteral("c:/x/q.ini"),
                                    QStringLiteral("\\\\server\\share\\q.ini")}) {
        QString path = absolute;
        EXPECT_EQ(SetINI(path), 0);
        EXPECT_EQ(WriteINI(path, "WMFPosi", "left", 1), 0);
        EXPECT_EQ(path, absolute);
        // Never taken as a relative name in the current folder.
        EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath(absolute)));
    }
    QString native = home() + "/sub.ini";
    SetINI(native);
    EXPECT_EQ(native, home() + "/sub.ini");
}

TEST_F(SettingsFile, UncreatableFileGivesDefaultsAndWritesNothing)
{
    writeAll(home() + "/notAFolder", "x");
    for (const QString& path : {home() + "/missing/deeper/QEMTINF.ini", home() + "/notAFolder/QEMTINF.ini"}) {
        QString name = path;
        EXPECT_EQ(SetINI(name), 0) << path.toStdString();
        EXPECT_FALSE(iniWritePermitted());
        EXPECT_EQ(GetINI(name, "WMFPosi", "width", 5820, true), QVariant(5820));
        EXPECT_FALSE(GetINI(name, "WMFPosi", "width", QVariant(), false).isValid());
        EXPECT_EQ(WriteINI(name, "WMFPosi", "width", 100), 0);
    }
    EXPECT_EQ(readAll(home() + "/notAFolder"), QByteArray("x"));
    QString folder = home();  // a folder in place of the file
    EXPECT_EQ(SetINI(folder), 0);
}

TEST_F(SettingsFile, ReadOnlyFileIsReadButNeverWritten)
{
    QString name = "QEMTINF.ini";
    const QByteArray before = "[WMFPosi]\r\nleft=300\r\n";
    writeAll(home() + "/QEMTINF.ini", before);
    QFile::setPermissions(home() + "/QEMTINF.ini", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    EXPECT_EQ(SetINI(name), 0);
    EXPECT_FALSE(iniWritePermitted());
    EXPECT_EQ(GetINI(name, "WMFPosi", "left", 0, true), QVariant(300));
    EXPECT_EQ(WriteINI(name, "WMFPosi", "left", 999.0), 0);
    EXPECT_EQ(readAll(name), before);
}

TEST_F(SettingsFile, WriteThenReadBackInBothModes)
{
    QString name = "QEMTINF.ini";
    EXPECT_EQ(WriteINI(name, "WMFPosi", "left", 1230.0), 1);  // whole twips: plain integer text
    EXPECT_EQ(WriteINI(name, "WMFPosi", "top", -48000.0), 1);
    EXPECT_EQ(WriteINI(name, "WMFPosi", "width", 1234.5), 1);
    EXPECT_EQ(WriteINI(name, "WMFPosi", "note", QString(300, u'あ')), 1);
    EXPECT_EQ(readAll(name).left(48).toStdString(), "[WMFPosi]\r\nleft=1230\r\ntop=-48000\r\nwidth=1234.5\r\n");
    EXPECT_EQ(GetINI(name, "WMFPosi", "left", 0, true), QVariant(1230));
    EXPECT_EQ(GetINI(name, "wmfposi", "TOP", 0, true), QVariant(-48000));
    EXPECT_EQ(GetINI(name, "WMFPosi", "width", 0, true), QVariant(1234));
    EXPECT_EQ(GetINI(name, "WMFPosi", "height", 8625, true), QVariant(8625));
    EXPECT_EQ(GetINI(name, "WMFPosi", "height", 2.5, true), QVariant(2));  // default rounds half to even
    EXPECT_EQ(GetINI(name, "WMFPosi", "left", "", false), QVariant(QStringLiteral("1230")));
    EXPECT_EQ(GetINI(name, "WMFPosi", "note", "", false).toString(), QString(254, u'あ'));

    const QVariant missing = GetINI(name, "WMFPosi", "nothing", "", false);
    EXPECT_FALSE(missing.isValid());  // an empty variant, not an empty text
    EXPECT_EQ(GetINI(name, "WMFPosi", "nothing", "  def  ", false), QVariant(QStringLiteral("def")));
}

TEST_F(SettingsFile, GarbageAndBinaryContentNeverBreaksReading)
{
    QString name = "QEMTINF.ini";
    QByteArray garbage("\x00\xff\xfe[WMFPosi\x00]\r\nleft=\x01\x02\r\n[WMFPosi]\r\nwidth=99999999999\r\n"
                       "height=abc\r\ntop=   -12junk\r\n",
                       80);
    garbage += QByteArray(1 << 16, '\xa0');
    writeAll(home() + "/QEMTINF.ini", garbage);
    EXPECT_EQ(GetINI(name, "WMFPosi", "height", 8625, true), QVariant(0));  // text that is no number
    EXPECT_EQ(GetINI(name, "WMFPosi", "top", 0, true), QVariant(-12));
    EXPECT_EQ(GetINI(name, "WMFPosi", "width", 5820, true), QVariant(INT32_MAX));  // clamped, not wrapped
    // Writing keeps every byte it does not own.
    EXPECT_EQ(WriteINI(name, "WMFPosi", "height", 600.0), 1);
    const QByteArray after = readAll(name);
    EXPECT_EQ(after.size(), garbage.size());  // "abc" became "600"
    EXPECT_EQ(GetINI(name, "WMFPosi", "height", 0, true), QVariant(600));
}

namespace {
/// Runs in a child process: as an ordinary user when the tests run as root
/// (who may write any folder), writes one key and exits 0 when it was written.
[[noreturn]] void writeAsOrdinaryUser(const QString& path)
{
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
        std::_Exit(2);
    QString name = path;
    std::_Exit(WriteINI(name, "WMFPosi", "left", 1230.0) == 1 ? 0 : 1);
}
} // namespace

TEST_F(SettingsFile, WritableFileInAFolderWeMayNotWriteIsWrittenInPlace)
{
    const QString folder = home() + "/locked";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + "/QEMTINF.ini";
    writeAll(path, "[WMFPosi]\r\nleft=1\r\n");
    using P = QFile::Permission;
    const QFile::Permissions readAndSearch = P::ReadOwner | P::ExeOwner | P::ReadUser | P::ExeUser | P::ReadGroup
                                           | P::ExeGroup | P::ReadOther | P::ExeOther;
    const QFile::Permissions readAndWrite = P::ReadOwner | P::WriteOwner | P::ReadUser | P::WriteUser
                                          | P::ReadGroup | P::WriteGroup | P::ReadOther | P::WriteOther;
    QFile::setPermissions(home(), readAndSearch | P::WriteOwner | P::WriteUser);
    QFile::setPermissions(path, readAndWrite);
    QFile::setPermissions(folder, readAndSearch);

    EXPECT_EXIT(writeAsOrdinaryUser(path), ::testing::ExitedWithCode(0), "");

    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readAll(path), QByteArray("[WMFPosi]\r\nleft=1230\r\n"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"QEMTINF.ini"});
}

TEST(PrivateProfile, KeptFuzzInputsReadAndWriteBack)
{
    const QDir corpus(QStringLiteral(KASANEMI_SETTINGS_CORPUS));
    const QStringList files = corpus.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        QFile f(corpus.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        app::PrivateProfile profile(f.readAll());
        for (const char* key : {"left", "top", "width", "height"})
            if (const auto text = profile.value(QStringLiteral("WMFPosi"), QString::fromLatin1(key)))
                (void)app::profileInteger(*text);
        if (profile.setValue(QStringLiteral("WMFPosi"), QStringLiteral("left"), QStringLiteral("600")))
            EXPECT_EQ(app::PrivateProfile(profile.content()).value(QStringLiteral("WMFPosi"), QStringLiteral("left")),
                      QStringLiteral("600"));
    }
}
