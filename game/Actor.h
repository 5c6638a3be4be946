// What the game spawns: terrorists, vehicles and bonus boxes. Each is built
// once with the game, waits inactive in its game's list, comes on by chance
// (Activate), runs one Update a frame while active and goes off again
// (Deactivate). What an actor is doing while active is its own private state.
#pragma once
#include <cstdint>
#include <vector>

namespace gh {

class Game;
class Actor;

// The actors of one sort (enemies, bonus boxes) and how many of them may be
// active together. The list references, never owns.
struct ActorList {
  std::vector<Actor*> Members;
  int8_t Active = 0;
  uint8_t Max = 0;  // Level + 1 (low eight bits)
};

class Actor {
 public:
  Actor(const Actor&) = delete;
  Actor& operator=(const Actor&) = delete;
  virtual ~Actor();

  bool Active() const { return active_; }
  // Comes on when inactive and the actor's own conditions allow it.
  void Activate();
  // One frame of behaviour; called only while active.
  virtual void Update() = 0;
  // Goes off (also when already off: the count follows every call).
  void Deactivate();
  // The blast weapon's shot reaches every active actor: enemies are destroyed.
  virtual void Destroy() {}

 protected:
  // Registers in `list` for the actor's whole life.
  Actor(Game& game, ActorList& list);

  // What must hold, besides being inactive, for the actor to come on.
  virtual bool MayComeOn() const = 0;
  // The actor's own part of coming on and of going off.
  virtual void ComeOn() = 0;
  virtual void GoOff() = 0;

  Game& game_;

 private:
  ActorList& list_;
  bool active_ = false;
};

// Enemy kinds as the level filter sees them.
enum class EnemyKind : int8_t {
  Aircraft = 0,
  Terrorist1 = 1,
  Terrorist2 = 2,
  Terrorist3 = 3,
  Car = 4,
  Train = 5,
  Truck = 6,
};

// A terrorist or a vehicle: it has a kind and the shots it can still take.
class Enemy : public Actor {
 public:
  EnemyKind Kind() const { return kind_; }
  int16_t Health() const { return health_; }
  void Destroy() override { health_ = -2; }

 protected:
  Enemy(Game& game, EnemyKind kind);

  // Its kind is allowed at this level and the enemy count leaves room.
  bool MayComeOn() const override;

  EnemyKind kind_;
  int16_t health_ = 0;
};

}  // namespace gh
