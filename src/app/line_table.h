#pragma once

// The line table and grids that pixel-set files are parsed into; filled in by the pixel-set
// code. Kept here because every window shares one.
namespace app {

struct LineTable {};

} // namespace app
