// Sharing numbered tasks between the calling thread and, on a machine with a second core, one
// more thread (runTasks, workerCount): the engines' work sharing, for the program's parts
// outside the core, which include no header of the engines themselves.
#pragma once

#include "core/engines/work_sharing.hpp"
