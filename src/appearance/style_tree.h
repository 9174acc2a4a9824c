#pragma once

#include "model/entities.h"

namespace mapolt {

class Store;

// The tree a project gets when it has no style: the elements, the margins, the shadow and
// the thirteen colours a chart cannot do without. Presets fill in the rest.
Style* createDefaultStyle(Store& store);

// `project.style`, made from the defaults when the project has none. Making the missing
// tree is not a user's edit, so undo does not record it.
Style* ensureStyle(Project& project);

// Deletes a style with everything it owns. A colour that also belongs to a task, a
// milestone or a resource is left to that owner.
void deleteStyleTree(Style* style);

} // namespace mapolt
