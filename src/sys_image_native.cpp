#include "sys_image.h"

// No shell natively: nothing has a thumbnail.
ImageRef shell_thumbnail(const std::string&, uint32_t, uint32_t, bool) { return nullptr; }
