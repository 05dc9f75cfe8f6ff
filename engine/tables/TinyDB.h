// The engine's public header for the program: databases and sessions, the
// table cursor and its field objects.
#pragma once

#include "tables/DBDataSet.h"
#include "tables/DataSet.h"
#include "tables/Database.h"
#include "tables/Fields.h"
#include "tables/Session.h"
#include "tables/Table.h"
