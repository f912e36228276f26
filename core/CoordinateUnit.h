// The coordinate unit chosen on the main window for coordinates written to an
// instrument (combo box KoordUnit, shown for formats with KoordinatenUnit).
// The item index is stored as "Co-ordinate unit" below the configuration
// root; the instrument writers read it for every record, from the settings
// or, while a KoordUnitHold exists, from the value held.
#pragma once

namespace veltro {

inline constexpr const char* kSettingCoordinateUnit = "Co-ordinate unit";
inline constexpr int kMaxCoordinateUnit = 10;

// The stored item index, 0 to kMaxCoordinateUnit; 0 when missing or out of range.
int KoordUnit();
void SetKoordUnit(int index);

// Holds the stored unit while it lives (a transfer: the settings are read
// once, not per record); SetKoordUnit updates the value held.
class KoordUnitHold {
 public:
  KoordUnitHold();
  ~KoordUnitHold();
  KoordUnitHold(const KoordUnitHold&) = delete;
  KoordUnitHold& operator=(const KoordUnitHold&) = delete;
};

}  // namespace veltro
