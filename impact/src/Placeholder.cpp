// Replaced by the engine's sources.
