// The program's start-up calls: every library it links registers the classes it re-creates
// from files by name or number. The build generates the definition from the libraries' list.
#pragma once

void MakeStartupCalls();
