#include "Actor.h"

#include <algorithm>

#include "Game.h"

namespace gh {

Actor::Actor(Game& game, ActorList& list) : game_(game), list_(list) {
  list_.Members.push_back(this);
}

// Leaves no dangling reference behind in the game's list.
Actor::~Actor() { std::erase(list_.Members, this); }

void Actor::Activate() {
  if (active_ || !MayComeOn()) return;
  list_.Active = static_cast<int8_t>(list_.Active + 1);
  active_ = true;
  ComeOn();
}

void Actor::Deactivate() {
  list_.Active = static_cast<int8_t>(list_.Active - 1);
  active_ = false;
  GoOff();
}

Enemy::Enemy(Game& game, EnemyKind kind) : Actor(game, game.Enemies()), kind_(kind) {}

bool Enemy::MayComeOn() const {
  return game_.Enemies().Active < game_.Enemies().Max && game_.AllowsKind(kind_);
}

}  // namespace gh
