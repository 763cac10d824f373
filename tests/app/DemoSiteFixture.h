#pragma once
// The demo network as the site of a test: written into the folder's "site",
// with the current user's registry file beside it, and loaded.

#include "platform/Registry.h"
#include "platform/Site.h"
#include "tools/demosite/DemoSite.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

// Fails the current test when the network cannot be written or loaded.
inline void LoadDemoSiteInto(const QTemporaryDir& directory)
{
    ASSERT_TRUE(directory.isValid());
    const std::string site = directory.filePath(QStringLiteral("site")).toStdString();
    std::string error;
    ASSERT_TRUE(demosite::WriteDemoSite(site, QV_DEMO_MESSAGE_DIR, error)) << error;
    platform::SetCurrentUserRegistryFile(directory.filePath(QStringLiteral("HKCU.reg")).toStdString());
    ASSERT_TRUE(platform::LoadSite(site)) << platform::SiteError();
}
