// Instrument protocols of the simulator. A behaviour sees every byte the
// program sends (after XON/XOFF handling) and every command it does not know
// itself; it answers through Simulator::Send and the player. To add an
// instrument family: derive from Behaviour, add one row to the table in
// Behaviours.cpp, select it with --protocol NAME.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace veltro::sim {

class Simulator;

class Behaviour {
 public:
  virtual ~Behaviour() = default;
  // Once after the line is open.
  virtual void OnStart(Simulator&) {}
  virtual void OnReceived(Simulator&, const std::string& bytes) { (void)bytes; }
  // When a played line is due: true when the behaviour sent (or waits) itself.
  virtual bool Play(Simulator&) { return false; }
  // Every pass of the main loop.
  virtual void OnIdle(Simulator&) {}
  // True when the behaviour stores what it takes (the instrument's memory)
  // instead of every received byte.
  virtual bool StoresItself() const { return false; }
  // A command line split into words; false when unknown.
  virtual bool OnCommand(Simulator&, const std::vector<std::string>& words) {
    (void)words;
    return false;
  }
};

struct BehaviourEntry {
  const char* name;
  const char* description;
  std::unique_ptr<Behaviour> (*make)();
};

const std::vector<BehaviourEntry>& Behaviours();
std::unique_ptr<Behaviour> MakeBehaviour(const std::string& name);

}  // namespace veltro::sim
