#pragma once
// Kept for the files that still include it (the advisor and its tests); the solver's
// internals are in solver/internal/, one header per concern. To go once nothing
// includes it.
#include "solver/internal/c_constant_bisection.h"
#include "solver/internal/c_constant_search.h"
#include "solver/internal/feed_search.h"
#include "solver/internal/pair_table.h"
#include "solver/internal/run_control.h"
#include "solver/internal/threshold.h"
#include "solver/internal/worker_list.h"
