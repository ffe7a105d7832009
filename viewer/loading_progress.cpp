// The progress receiver of a scene load.
#include "viewer/loading_progress.h"

#include "platform/window/window.h"
#include "viewer/qelt_viewer.h"

namespace qelt
{

void cLoadingProgress::setValue(float value)
{
    value_ = value;
    if (total_ <= 0)
        return;
    // At most 256 repaints for a whole load: the view thread draws the picture.
    while (shown_ < value_ && repaints_ < 256)
    {
        shown_ += total_ / 256;
        ++repaints_;
        platform::invalidateWindow(qeltViewer().viewWindow(), false);
    }
}

} // namespace qelt
