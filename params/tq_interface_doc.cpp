#include "params/tq_interface_doc.h"

DocOutcome CTQ_InterfaceDoc::OnSaveDocument(const std::string& path) {
    DocOutcome outcome = TQFile1::OnSaveDocument(path);
    if (outcome)
        UpdateAllViews();
    return outcome;
}
