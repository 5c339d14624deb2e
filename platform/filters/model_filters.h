// Registration of the model filters, after the ".mesh" filter: ".3ds",
// then ".md3".
#pragma once

namespace corvane {

void RegisterModelFilters();

}  // namespace corvane
