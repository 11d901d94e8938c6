// Two things a caller of the bridge relies on exactly: a layer name holding
// the host's pattern characters goes to the host's selection filter as it is
// (the host's wildcard rules decide what it counts), and a bus connection
// that is lost gives the "host unreachable" number, not a host failure.

#include "RecordingSurface.h"

#include "acad/AcadError.h"
#include "acad/LayerCounts.h"
#include "acad/dbus/BusSurface.h"

#include <QDBusConnection>

#include <gtest/gtest.h>

using namespace acad;

namespace {

TEST(PatternCountOnTheSurface, NamesWithWildcardCharactersReachSelectUnchanged)
{
    auto host = std::make_shared<testing_surface::Host>();
    // The recording host answers for exact filter texts only, so a name
    // changed on its way would count 0 and show in the Select call.
    host->objects = {{QStringLiteral("壁*"), 5}, {QStringLiteral("door#"), 2}, {QStringLiteral("[AB]?`*,~0"), 3}};
    const DocumentPtr document = testing_surface::makeDocument(host);

    EXPECT_EQ(CountLayerObjects(document, QStringLiteral("壁*")), 5);
    EXPECT_EQ(CountLayerObjects(document, NameList{QString(), QStringLiteral("door#"), QStringLiteral("[AB]?`*,~0")}),
              5);
    EXPECT_EQ(CountLayerObjectsEach(document, NameList{QString(), QStringLiteral("壁*"), QStringLiteral("door#")}),
              (std::vector<qint32>{5, 2}));

    QStringList selects;
    for (const QString& call : host->calls)
        if (call.startsWith(QStringLiteral("SelectionSet.Select")))
            selects << call;
    EXPECT_EQ(selects, (QStringList{QStringLiteral("SelectionSet.Select(5,[8],[壁*])"),
                                    QStringLiteral("SelectionSet.Select(5,[8],[door#])"),
                                    QStringLiteral("SelectionSet.Select(5,[8],[[AB]?`*,~0])"),
                                    QStringLiteral("SelectionSet.Select(5,[8],[壁*])"),
                                    QStringLiteral("SelectionSet.Select(5,[8],[door#])")}));
}

/// The number a member call on `application` fails with; 0 when it answered.
qint32 failureNumber(const ApplicationPtr& application)
{
    try {
        application->caption();
    } catch (const AcadError& failure) {
        return failure.number();
    }
    return 0;
}

TEST(LostBus, CallsOverAConnectionThatIsGoneFindTheHostUnreachable)
{
    // A bus that is not there at all: the connection never came up.
    const QString nowhere = QStringLiteral("kasanemi-test-nowhere");
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(
            QStringLiteral("unix:path=/nonexistent/kasanemi-test-bus"), nowhere);
        ASSERT_FALSE(bus.isConnected());
        EXPECT_EQ(failureNumber(dbus::makeBusApplication(bus)), error::kHostUnreachable);
    }
    QDBusConnection::disconnectFromBus(nowhere);

    // A session bus connection that is closed under the surface's feet.
    const QString lost = QStringLiteral("kasanemi-test-lost");
    const QDBusConnection session = QDBusConnection::connectToBus(QDBusConnection::SessionBus, lost);
    if (!session.isConnected())
        GTEST_SKIP() << "no session bus for the second half";
    const ApplicationPtr application = dbus::makeBusApplication(session);
    QDBusConnection::disconnectFromBus(lost);
    EXPECT_EQ(failureNumber(application), error::kHostUnreachable);
}

} // namespace
