#pragma once

#include "adaptercore/tsrwl.h"

#include <QObject>

class CNICAdapter;
class QWidget;

// The Soft AP settings the Soft AP pages show, edit and apply: one record for all of them, kept by their
// window. It is read from the adapter when the pages first take an adapter after the session attached it, so
// a record saved but not yet stored by the adapter's worker survives a change of mode.
class CSoftAPProfile : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The record of the window `page` is in, made there on first use.
    static CSoftAPProfile& InWindowOf(QWidget* page);

    WLProfile& Profile() { return m_Profile; }
    // A Soft AP page takes `adapter`: the first since the last attach loads the adapter's first Soft AP
    // profile, else its default one.
    void Take(const CNICAdapter& adapter);
    // A new adapter was attached: its profile is read when a page takes it.
    void AdapterAttached() { m_Loaded = false; }

private:
    WLProfile m_Profile{};
    bool m_Loaded = false;
};
