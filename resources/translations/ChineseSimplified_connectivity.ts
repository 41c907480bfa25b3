<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>DateTimeSetMenu</name>
    <message>
        <source>PM</source>
        <translation>下午</translation>
    </message>
</context>
<context>
    <name>SystemSettingSubMenu</name>
    <message>
        <source>Wi-Fi</source>
        <translation>无线网络</translation>
    </message>
</context>
<context>
    <name>FactoryResetSetMenu</name>
    <message>
        <source>Resetting...</source>
        <translation>正在恢复...</translation>
    </message>
</context>
<context>
    <name>FormatSdcardSetMenu</name>
    <message>
        <source>Formatting...</source>
        <translation>正在格式化...</translation>
    </message>
    <message>
        <source>No SD card!</source>
        <translation>没有SD卡！</translation>
    </message>
</context>
<context>
    <name>UpgradeSubMenu</name>
    <message>
        <source>Found application failed!</source>
        <translation>未找到应用程序！</translation>
    </message>
    <message>
        <source>Please check again!</source>
        <translation>请再检查一次！</translation>
    </message>
    <message>
        <source>Found new application.</source>
        <translation>找到新的应用程序。</translation>
    </message>
    <message>
        <source>Upgrading......</source>
        <translation>正在升级......</translation>
    </message>
    <message>
        <source>Upgrade ok.</source>
        <translation>升级完成。</translation>
    </message>
    <message>
        <source>Please power off, reboot.</source>
        <translation>请关机后重新启动。</translation>
    </message>
    <message>
        <source>Found system files failed!</source>
        <translation>未找到系统文件！</translation>
    </message>
    <message>
        <source>Backup failed!</source>
        <translation>备份失败！</translation>
    </message>
    <message>
        <source>Erase ok.Don't remove SD.</source>
        <translation>擦除完成，请勿取出SD卡。</translation>
    </message>
    <message>
        <source>Upgrade failed!</source>
        <translation>升级失败！</translation>
    </message>
    <message>
        <source>Erase failed!</source>
        <translation>擦除失败！</translation>
    </message>
</context>
</TS>
