// The progress receiver of a scene load; its screen (picture and bar) comes with the renderer work.
#pragma once

#include "core/progress.h"

namespace qelt
{

// Owned by the viewer while a scene loads. setValue runs on the loader thread; the view thread
// only reads the values to draw.
class cLoadingProgress : public cProgress
{
  public:
    cLoadingProgress() = default;
    // Stores the value and asks the view window to repaint once per 1/256 of the total.
    void setValue(float value) override;
    float shown() const { return shown_; }
    int repaintRequests() const { return repaints_; }

  private:
    float shown_ = 0;
    int repaints_ = 0;
};

} // namespace qelt
