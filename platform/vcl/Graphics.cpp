// Canvases.
#include "Graphics.h"

IMPLEMENT_CLASS(TCanvas, TPersistent)
IMPLEMENT_CLASS(TControlCanvas, TCanvas)
