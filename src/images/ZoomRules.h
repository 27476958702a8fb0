#pragma once

#include <QRect>

// The nine regions of the 2x magnifier, free of any widget. Region = 1 + 3 x row +
// column; 0 is no zoom.
namespace ZoomRules
{

bool IsRegion(int zoom);
// The rectangle an image book is laid out in: twice the client area, placed so that
// the region shows; the client rectangle itself without zoom or for a bad value.
QRect ZoomCanvas(const QRect& client, int zoom);
// Image pages are drawn at twice their size whenever zoom is not 0, even for a bad value.
int ZoomFactor(int zoom);
// Where the PDF control goes, in view coordinates: twice the client size under zoom,
// moved so the region shows, widened by the control's side pane. A bad value shows
// the top-left region. Empty for an empty client area.
QRect PdfGeometry(const QSize& client, int zoom, int taskPaneWidth);

// Region moves that do not turn a page; they return the zoom unchanged when there is
// nothing to do.
int MoveLeft(int zoom);
int MoveRight(int zoom);

} // namespace ZoomRules
