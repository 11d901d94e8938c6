#pragma once

#include "HostConnector.h"

namespace acad {

/// A connector for a host that is already there, e.g. the in-process host of
/// the batch tools, tests and benchmarks: it always attaches to the one
/// application it was given, and "starting" one gives the same application.
class FixedHostConnector : public HostConnector {
public:
    explicit FixedHostConnector(ApplicationPtr application) : m_application(std::move(application)) {}
    ApplicationPtr attachRunning() override { return m_application; }
    ApplicationPtr startNew() override { return m_application; }

private:
    ApplicationPtr m_application;
};

} // namespace acad
