#include "tools/instrument-sim/Behaviours.h"

#include "tools/instrument-sim/Simulator.h"

namespace veltro::sim {
namespace {

// An instrument that sends its data when told to and takes what it gets:
// the player and the store do everything (ProMark 500 coordinate output).
class Plain : public Behaviour {};

}  // namespace

const std::vector<BehaviourEntry>& Behaviours() {
  static const std::vector<BehaviourEntry> table = {
      {"plain", "sends the played lines, stores what it receives",
       []() -> std::unique_ptr<Behaviour> { return std::make_unique<Plain>(); }},
  };
  return table;
}

std::unique_ptr<Behaviour> MakeBehaviour(const std::string& name) {
  for (const BehaviourEntry& e : Behaviours())
    if (name == e.name) return e.make();
  return nullptr;
}

}  // namespace veltro::sim
