#pragma once
#include "Canvas.h"
#include "model/MachineTable.h"

// Draws the stepped outline of record into box, scaled to 80 % of the box in
// its tighter direction. Leaves the box untouched when there is nothing to draw.
void AttachDraw(const AttachmentRecord &record, Canvas &box);
