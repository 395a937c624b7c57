#pragma once
// The overview rendered offscreen in its layouts (plain chain, printer, loadable driver on a
// CP 731 and on a CP 831-2, a printing driver, online), one PNG file each:
//   OUTDIR/overview-<layout>.png
#include <QDir>
#include <QStringList>

namespace screens {

// Writes the pictures into `out` and counts them in `written`; with `check` also looks for
// labels and buttons that are cut off or overlap. One line per fault, empty when all is well.
QStringList renderOverviews(const QDir& out, bool check, int& written);

}  // namespace screens
