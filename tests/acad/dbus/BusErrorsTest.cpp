// How failed bus calls become the caller's AcadError.

#include "acad/dbus/BusErrors.h"
#include "acad/dbus/BusNames.h"
#include "JapaneseText.h"

#include <QDBusMessage>

#include <gtest/gtest.h>

using namespace acad;

namespace {

TEST(BusErrors, HostRefusalRoundTripsNumberAndDescription)
{
    const AcadError original(error::kKeyNotFound, QStringLiteral("Key not found: 壁|柱"));
    const AcadError decoded = dbus::decodeBusError(
        QDBusMessage::createError(dbus::kErrorName, dbus::encodeHostError(original)), true, 1000);
    EXPECT_EQ(decoded.number(), error::kKeyNotFound);
    EXPECT_EQ(decoded.description(), QStringLiteral("Key not found: 壁|柱")); // a bar in the text survives
}

TEST(BusErrors, MalformedRefusalIsAHostFailureWithItsText)
{
    const AcadError decoded =
        dbus::decodeBusError(QDBusMessage::createError(dbus::kErrorName, QStringLiteral("no number")), true, 1000);
    EXPECT_EQ(decoded.number(), error::kHostFailure);
    EXPECT_EQ(decoded.description(), QStringLiteral("no number"));
}

TEST(BusErrors, MissingReplyIsATimeoutOnlyWhileTheHostIsThere)
{
    const QDBusError noReply(QDBusError::NoReply, QStringLiteral("no reply"));
    EXPECT_EQ(dbus::decodeBusError(noReply, true, 25'000).number(), error::kHostTimeout);
    EXPECT_EQ(dbus::decodeBusError(noReply, false, 25'000).number(), error::kHostUnreachable);
    EXPECT_EQ(dbus::decodeBusError(QDBusError(QDBusError::ServiceUnknown, "gone"), true, 1).number(),
              error::kHostUnreachable);
    EXPECT_EQ(dbus::decodeBusError(QDBusError(QDBusError::InvalidArgs, "bad"), true, 1).number(),
              error::kHostFailure);
}

TEST(BusErrors, TheViewersOwnFailuresAreDescribedInJapanese)
{
    // Host gone before or during a call, the bus lost, no answer in time.
    for (const AcadError& failure :
         {dbus::decodeBusError(QDBusError(QDBusError::ServiceUnknown,
                                          "The name org.kasanemi.Cad was not provided by any .service files"),
                               false, 25'000),
          dbus::decodeBusError(QDBusError(QDBusError::Disconnected, "Not connected to D-Bus server"), false, 25'000),
          dbus::decodeBusError(QDBusError(QDBusError::NoReply, "no reply"), false, 25'000),
          dbus::decodeBusError(QDBusError(QDBusError::NoReply, "no reply"), true, 25'000)}) {
        EXPECT_TRUE(testsupport::describedInJapanese(failure.description())) << failure.description().toStdString();
        EXPECT_TRUE(failure.number() == error::kHostUnreachable || failure.number() == error::kHostTimeout);
    }
    EXPECT_EQ(dbus::decodeBusError(QDBusError(QDBusError::NoReply, "x"), true, 25'000).description(),
              QStringLiteral("図面ホストが 25 秒以内に応答しませんでした。"));
}

} // namespace
