// What must hold of the game state after any message and any frame, checked
// by the random sessions, the soak test and the scene fuzzer alike: each
// order a permutation, every piece in a valid state at a finite place and a
// placed one at home, at most the active piece held and only while dragging,
// pieces_left the pieces not placed, every state, clock, label and index in
// range.
#pragma once

// The first rule the game state breaks, in words; null when all hold.
const char* broken_game_invariant();
