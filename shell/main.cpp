// The game's entry point: the real platform and the engine library beside the program.
int main() { return 0; }
