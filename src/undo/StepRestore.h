#pragma once

#include "LayerChangeStep.h"

#include "acad/AcadError.h"
#include "acad/AcadSurface.h"

#include <vector>

namespace undo {

/// What went wrong while a step was taken back, in the order met.
struct RestoreOutcome {
    std::vector<acad::AcadError> failures;
    /// The host could not be reached or did not answer; nothing more was tried.
    bool hostLost = false;
};

/// Takes `step` back in `document`: writes each changed property of each
/// changed layer back to its value before the command, reading nothing, in
/// one batch of layer writes, makes the former current layer current again,
/// then regenerates all viewports once. A write the drawing refuses (a layer
/// deleted in the host since) is kept in the outcome, with the host's error,
/// and the rest of the step is still written.
RestoreOutcome restoreStep(acad::Document& document, const LayerChangeStep& step);

} // namespace undo
