#pragma once

class QWidget;

namespace sorvane::ui {

// Centres a window in its screen's available area when it is neither maximised nor
// minimised; a left edge closer than about 100 twips (7 pixels) to the screen's edge
// becomes 1 pixel. A window taller than the screen keeps its negative top.
void Center_Form(QWidget* window);

}  // namespace sorvane::ui
