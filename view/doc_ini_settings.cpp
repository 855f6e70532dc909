#include "view/doc_ini_settings.h"

#include "view/kaleidra_doc.h"

IniSettingValues CDocIniSettingStore::ReadIniSettings() const
{
    IniSettingValues values;
    values.imageDefaultTime = m_document.ImageDefaultTime;
    values.effectDefaultTime = m_document.EffectDefaultTime;
    values.remoteAddress = m_document.SrvIPAdd;
    values.viewerMode = m_document.ViewerMode;
    values.resoMode = m_document.ResoMode;
    values.projectorDisplayNo = m_document.ProjectorDisplayNo;
    return values;
}

bool CDocIniSettingStore::WriteIniSettings(const IniSettingValues& values, QString& error)
{
    m_document.ImageDefaultTime = values.imageDefaultTime;
    m_document.EffectDefaultTime = values.effectDefaultTime;
    m_document.SrvIPAdd = values.remoteAddress;
    m_document.ViewerMode = values.viewerMode;
    m_document.ResoMode = values.resoMode;
    m_document.ProjectorDisplayNo = values.projectorDisplayNo;
    return m_document.WriteIniSettings(error);
}
