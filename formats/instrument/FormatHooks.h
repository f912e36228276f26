// Mechanics the instrument format modules share: the pass-through test, the
// recognition handler behind every OnFormat, unbinding a module's handlers
// from its catalogue formats, and small text helpers of the writers.
#pragma once

#include <functional>
#include <string>

#include "core/DatenformatDefinitionen.h"
#include "core/TransDef.h"
#include "platform/TextFile.h"

namespace veltro {

class TGeraete;

// The active office format is the pass-through format "Original".
bool OfficeIsPassThrough();
// The pass-through format's description on TDFD (nullptr when there is none).
TDatenformatDefinitionen* OriginalFormat();

// The OnFormat handler of a format: runs the detector of `candidate` on S.
// With an answer, the format and the pass-through format are both bound to
// kindOf(tag) (when both have OnSetTDA) and the tag is returned; without one
// the general recognition decides (ChangeGeraeteFormat).
std::string RecogniseFormatLine(TGeraete& geraete, TGeraeteFormat& format, const char* candidate,
                                const std::string& S, const std::string& Buf,
                                const std::function<TTransferDatenart(const std::string& tag)>& kindOf);

// Clears every event of format and its ReadWrite when that belongs to module.
void UnbindFormatHandlers(TGeraeteFormat& format, const TDataModule& module);

// Removes the last line when it contains the end mark EOT (0x04).
void RemoveTrailingEndMark(TextLines& lines);

// a to z in upper case; other bytes unchanged.
std::string UpperAscii(std::string text);

}  // namespace veltro
