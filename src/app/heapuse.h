#pragma once

namespace app {

// Asks the C library to keep freed memory of page-sized pictures for the next page
// instead of handing it back to the system at once. Called first thing in a program that
// makes pages; a no-op where the C library has no such setting.
void keepFreedPictureMemory();

} // namespace app
