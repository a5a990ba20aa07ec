// The document class the application instantiates.
#pragma once

#include "params/tq_file.h"

class CTQ_InterfaceDoc : public TQFile1 {
public:
    DocOutcome OnNewDocument() override { return TQFile1::OnNewDocument(); }
    DocOutcome Serialize(Archive& ar) override { return TQFile1::Serialize(ar); }
    // After a successful save every view is told to update.
    DocOutcome OnSaveDocument(const std::string& path) override;
};
