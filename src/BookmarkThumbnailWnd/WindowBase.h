// Life cycle shared by the gadget's windows: the public steps record the
// window's state and hand the real work to the t_ hooks.
#ifndef VANTRO_WINDOWBASE_H
#define VANTRO_WINDOWBASE_H

#include <Evas.h>

class CWindowBase {
public:
    CWindowBase();
    virtual ~CWindowBase();

    void Create(Evas_Object* parent);
    void Destroy();
    bool Show();
    void Hide();
    bool FlagCreate();
    Evas_Object* GetParentObject();

protected:
    virtual bool t_Create(Evas_Object* parent);
    virtual void t_Destroy();
    virtual bool t_Show();
    virtual void t_Hide();

private:
    bool m_bCreate;
    Evas_Object* m_pParent;
};

#endif
