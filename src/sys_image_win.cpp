#include "sys_image.h"

ImageRef shell_thumbnail(const std::string&, uint32_t, uint32_t, bool) { return nullptr; }
