#pragma once
// Kept for the files that still include it here (the advisor and its benchmark); the
// memo is the solver's own: solver/internal/c_constant_memo.h.
#include "solver/internal/c_constant_memo.h"
