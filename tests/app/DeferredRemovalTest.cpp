#include "TestFiles.h"
#include "app/DeferredRemoval.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using namespace app;

namespace {

void touch(const QString& path)
{
    testsupport::writeAll(path, "x");
}

/// Everything beside LAYER that a setting aside left (hidden names included).
QStringList asideFolders(const QTemporaryDir& root)
{
    return QDir(root.path()).entryList({QStringLiteral(".LAYER.gone-*")},
                                       QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
}

/// A number that names no process: a child that has exited and been waited for.
pid_t endedProcess()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

} // namespace

TEST(DeferredRemoval, ThePathIsFreeAtOnceAndTheFolderGoesOnceReleasedLinksUntouched)
{
    QTemporaryDir root;
    const QString layer = root.path() + "/LAYER";
    const QString outside = root.path() + "/outside";
    QDir().mkpath(outside);
    touch(outside + "/keep.txt");
    QDir().mkpath(layer + "/SYS");
    touch(layer + "/SYS/all.wmf");
    touch(layer + "/壁.wmf");
    QFile::link(outside, layer + "/dirLink");
    {
        DeferredRemoval removal;
        ASSERT_TRUE(removal.setAside(layer));
        EXPECT_FALSE(QFileInfo::exists(layer));
        // Nothing is deleted before the owner says so: the new files come first.
        ASSERT_EQ(asideFolders(root).size(), 1);
        EXPECT_TRUE(QFile::exists(root.path() + '/' + asideFolders(root).first() + "/壁.wmf"));
        EXPECT_TRUE(asideFolders(root).first().startsWith(
            QStringLiteral(".LAYER.gone-%1-").arg(::getpid())));
        EXPECT_TRUE(QDir().mkpath(layer + "/SYS"));  // a new folder under the old name
    }
    waitForDeferredRemovals();
    EXPECT_TRUE(asideFolders(root).isEmpty());
    EXPECT_TRUE(QFileInfo(layer + "/SYS").isDir());
    EXPECT_TRUE(QFile::exists(outside + "/keep.txt"));

    // A link where the folder was: the link goes at once, its target stays.
    QDir(layer).removeRecursively();
    QFile::link(outside, layer);
    DeferredRemoval removal;
    EXPECT_TRUE(removal.setAside(layer));
    EXPECT_FALSE(QFileInfo(layer).isSymLink());
    EXPECT_TRUE(QFile::exists(outside + "/keep.txt"));
    EXPECT_TRUE(asideFolders(root).isEmpty());

    // Nothing there is no failure.
    EXPECT_TRUE(removal.setAside(root.path() + "/missing"));
}

TEST(DeferredRemoval, FoldersSetAsideWhileEarlierOnesAreStillBeingDeletedAllGo)
{
    QTemporaryDir root;
    const QString layer = root.path() + "/LAYER";
    // Each round sets the last one's folder aside before the one before
    // it has been deleted: every name is new, none replaces another.
    std::vector<std::unique_ptr<DeferredRemoval>> pending;
    for (int round = 0; round < 5; ++round) {
        QDir().mkpath(layer + "/SYS");
        for (int i = 0; i < 50; ++i)
            touch(layer + QStringLiteral("/%1-%2.wmf").arg(round).arg(i));
        pending.push_back(std::make_unique<DeferredRemoval>());
        ASSERT_TRUE(pending.back()->setAside(layer));
        if (round % 2)
            pending.front()->release();  // a deletion runs while the next folder is set aside
    }
    // The four not yet released are all still there, under names of their own.
    EXPECT_GE(asideFolders(root).size(), 4);
    pending.clear();
    waitForDeferredRemovals();
    EXPECT_TRUE(asideFolders(root).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(layer));
}

TEST(DeferredRemoval, WhatAnEndedProcessLeftAsideGoesAndARunningOnesStays)
{
    QTemporaryDir root;
    const QString layer = root.path() + "/LAYER";
    const QString dead = QStringLiteral(".LAYER.gone-%1-abcdef").arg(endedProcess());
    // Another viewer sharing the folder, still deleting its own.
    const QString otherViewer = QStringLiteral(".LAYER.gone-%1-ghijkl").arg(::getppid());
    const QString mine = QStringLiteral(".LAYER.gone-%1-mnopqr").arg(::getpid());
    for (const QString& name : {dead, otherViewer, mine}) {
        QDir(root.path()).mkpath(name + "/SYS");
        touch(root.path() + '/' + name + "/SYS/all.wmf");
    }
    // Names that only look alike are not ours to delete.
    QDir(root.path()).mkpath(QStringLiteral(".LAYER.gone-%1-toolongname").arg(endedProcess()));
    QDir(root.path()).mkpath(QStringLiteral(".OTHER.gone-%1-abcdef").arg(endedProcess()));

    removeLeftAsideFolders(layer);
    waitForDeferredRemovals();

    EXPECT_FALSE(QFileInfo::exists(root.path() + '/' + dead));
    EXPECT_TRUE(QFileInfo::exists(root.path() + '/' + otherViewer + "/SYS/all.wmf"));
    EXPECT_TRUE(QFileInfo::exists(root.path() + '/' + mine + "/SYS/all.wmf"));
    EXPECT_EQ(asideFolders(root).size(), 3);
}
