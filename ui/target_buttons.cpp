#include "target_buttons.h"

#include "resource_ids.h"

namespace {

struct TargetButton {
  int id;
  uint32_t size_code;
};

// In increasing id order; the last entry is looked at on its own.
constexpr TargetButton kTargetButtons[] = {
    {IDC_PLAIN_1, 0x01},
    {IDC_PLAIN_2, 0x02},
    {IDC_PLAIN_4, 0x04},
    {IDC_PLAIN_8, 0x08},
    {IDC_PLAIN_12, 0x0C},
    {IDC_PLAIN_16, 0x10},
    {IDC_PLAIN_20, 0x14},
    {IDC_PLAIN_24, 0x18},
    {IDC_PLAIN_28, 0x1C},
    {IDC_PLAIN_32, 0x20},
    {IDC_EXHIROM_48, 0x30},
    {IDC_EXHIROM_48_MIRRORED, 0x130},
    {IDC_EXHIROM_64, 0x40},
    {IDC_EXHIROM_64_MIRRORED, 0x140},
    {IDC_EXLOROM_48_1, 0x1030},
    {IDC_EXLOROM_48_2, 0x2030},
    {IDC_EXLOROM_48_3, 0x4030},
    {IDC_EXLOROM_64_1, 0x1040},
    {IDC_EXLOROM_64_2, 0x2040},
    {IDC_EXLOROM_64_3, 0x4040},
    {IDC_SPECIAL_CHIP_48, 0x10030},
};

constexpr TargetButton kOverridingButton = {IDC_SPECIAL_CHIP_64, 0x10040};

}  // namespace

uint32_t CollectSizeCode(HWND dialog) {
  uint32_t size_code = 0;
  for (const TargetButton& button : kTargetButtons) {
    if (IsDlgButtonChecked(dialog, button.id) == BST_CHECKED) size_code = button.size_code;
  }
  if (IsDlgButtonChecked(dialog, kOverridingButton.id) == BST_CHECKED) {
    size_code = kOverridingButton.size_code;
  }
  return size_code;
}
