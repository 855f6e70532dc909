#pragma once

#include "view/ini_settings.h"

class CKaleidraDoc;

// The settings dialog's values in the settings document: read from its members, and on OK
// stored there and written into the settings file in one replacement. A failed write leaves
// the document holding the new values.
class CDocIniSettingStore : public CIniSettingStore {
public:
    explicit CDocIniSettingStore(CKaleidraDoc& document)
        : m_document(document)
    {
    }
    IniSettingValues ReadIniSettings() const override;
    bool WriteIniSettings(const IniSettingValues& values, QString& error) override;

private:
    CKaleidraDoc& m_document;
};
