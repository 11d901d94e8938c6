#pragma once

#include <QString>

namespace acad {

/// The order layer names are listed in, as a list box kept sorted gives its
/// entries, a word sort: hyphens and apostrophes are passed over ("DIM655"
/// before "DIM-C60"), the rest is compared without regard to case (Unicode
/// case folding, then UTF-16 code units). Names equal so far go in code-unit
/// order of what is compared (case decides), then of the whole names (the
/// passed-over characters decide).
bool sortsBefore(const QString& a, const QString& b);

} // namespace acad
