// The filters' start-up, called once when the program starts (and by the
// test kit's worlds): makes TFilter the applet's filter class and fills the
// filter list in its fixed order. Running it again changes nothing.
#pragma once

namespace corvane {

void RegisterFilterClasses();

}  // namespace corvane
