#include "WindowBase.h"

CWindowBase::CWindowBase() : m_bCreate(false), m_pParent(nullptr) {}

// Owners call Destroy before deleting; the destructor does not.
CWindowBase::~CWindowBase() {}

void CWindowBase::Create(Evas_Object* parent) {
    m_pParent = parent;
    m_bCreate = t_Create(parent);
}

void CWindowBase::Destroy() {
    t_Destroy();
    m_pParent = nullptr;
    m_bCreate = false;
}

bool CWindowBase::Show() { return t_Show(); }

void CWindowBase::Hide() { t_Hide(); }

bool CWindowBase::FlagCreate() { return m_bCreate; }

Evas_Object* CWindowBase::GetParentObject() { return m_pParent; }

bool CWindowBase::t_Create(Evas_Object*) { return true; }

void CWindowBase::t_Destroy() {}

bool CWindowBase::t_Show() { return true; }

void CWindowBase::t_Hide() {}
