#include "gui/layout.h"

#include "gui/widgetkit.h"

namespace dovi {

QRect Box::pixels() const
{
    return twipsRect(left, top, width, height);
}

QFont designFont(const FontDesign& font)
{
    return pointFont(font.family, font.points, font.bold);
}

}  // namespace dovi
