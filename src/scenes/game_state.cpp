#include "scenes/game_state.h"

GameState game;
