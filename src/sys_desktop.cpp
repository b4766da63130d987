// The power-status rule and the keyboard-layout language table shared by both platforms.
#include "sys_desktop.h"

const char* language_code_of(uint16_t language_id) {
    struct Row { uint16_t primary; const char* code; };
    static const Row rows[] = {
        {0x00, ""},   {0x01, "AR"}, {0x04, "ZH"}, {0x07, "DE"}, {0x08, "EL"}, {0x09, "EN"}, {0x0A, "ES"},
        {0x0C, "FR"}, {0x10, "IT"}, {0x11, "JA"}, {0x12, "KO"}, {0x13, "NL"}, {0x15, "PL"}, {0x16, "PT"},
        {0x19, "RU"}, {0x1F, "TR"}, {0x22, "UK"}, {0x29, "FA"}, {0x2C, "AZ"},
    };
    uint16_t primary = language_id & 0x3FF;
    for (const Row& r : rows)
        if (r.primary == primary) return r.code;
    return "??";
}

PowerStatus power_status_from(uint8_t ac_line_status, uint8_t battery_flag, uint8_t life_percent) {
    PowerStatus p;
    p.on_ac = ac_line_status == 1;
    p.percent = life_percent > 100 ? 100 : life_percent;
    p.has_battery = battery_flag != 128 && battery_flag != 255;
    return p;
}
