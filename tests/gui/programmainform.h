// TProgramMainForm: the main window as the program sets it up, its documents being
// database windows (TMDIChild).
#pragma once

#include "app/tmainform.h"
#include "window/tmdichild.h"

namespace kelmor::test {

class TProgramMainForm : public TMainForm {
public:
    explicit TProgramMainForm(const TStartOptions& options = TStartOptions()) : TMainForm(options) {
        SetDatabaseWindowFactory(TMDIChild::Factory());
    }
};

}  // namespace kelmor::test
