#pragma once
#include "view/ReadingsTable.h"
#include "view/ui/ReadingsGrid.h"

// A readings grid with a log of its own, as the window's grid has the session's.
class LoggedGrid : public view::ReadingsGrid {
public:
    LoggedGrid() { showLog(log_); }

private:
    view::ReadingsTable log_;
};
