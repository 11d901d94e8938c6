#pragma once

#include "app/IniSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

/// A test with a program folder of its own: KASANEMI_HOME points at a fresh
/// temporary folder for the test's length, and the settings file's write
/// permission is asked anew.
class OwnProgramFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        qputenv("KASANEMI_HOME", QFile::encodeName(m_home.path()));
        app::resetIniWritePermission();
    }
    void TearDown() override { qunsetenv("KASANEMI_HOME"); }
    QString home() const { return QDir::cleanPath(m_home.path()); }

    QTemporaryDir m_home;
};
