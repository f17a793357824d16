#pragma once

#include <string>

#include "image/photo/prepare_geometry.h"
#include "image/photo/prepare_options.h"

namespace vornix::image {

// The preparation a picture gets where the user chooses nothing else, the same in the Import
// Picture dialog and on the command line: a picture larger than the panel (after turning) is
// fitted inside 240 x 128, whole bytes wide (FittedSize), and never enlarged; a smaller one
// keeps its size. The threshold is the picture's own (Otsu's method, autoThreshold).
PrepareOptions DefaultPrepareOptions(PictureSize turned);

// The fit of DefaultPrepareOptions: Fit for a picture wider or taller than the panel, Keep
// otherwise.
Fit DefaultFit(PictureSize turned);

// What the panel shows of a prepared picture of `size`, as one sentence for the user, or ""
// when it shows all of it. A picture wider or taller than the panel: "The panel shows its top
// left 240 x 128 pixels."; one whose width is not a multiple of 8, which the controller takes
// in whole bytes: "The panel shows the left 200 of its 205 columns: rows are sent in whole
// bytes of 8 pixels."
std::string PanelNote(PictureSize size);

// The sentence that says how fitting kept whole bytes, for a picture of `turned` size fitted as
// `options` say: "Fitted 170 pixels wide to 168, 21 whole bytes, so that the panel shows every
// column." when the width was cut, else "".
std::string WholeBytesNote(PictureSize turned, const PrepareOptions& options);

} // namespace vornix::image
