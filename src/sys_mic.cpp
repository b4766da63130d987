#include "sys_mic.h"

std::vector<std::string> collect_input_device_names(uint32_t first, uint32_t end) {
    std::vector<std::string> out;
    for (uint32_t d = first; d < end; ++d)
        if (std::optional<std::string> name = input_device_name(d)) out.push_back(std::move(*name));
    return out;
}
