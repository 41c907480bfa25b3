<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Norvik7</name>
    <message>
        <source>Caution: 

High Internal Temperature.
Allow it to cool.</source>
        <translation>警告：

设备内部温度过高。
请等待冷却。</translation>
    </message>
    <message>
        <source>Initializing...</source>
        <translation>初始化中...</translation>
    </message>
    <message>
        <source>Low battery!</source>
        <translation>电量低！</translation>
    </message>
</context>
</TS>
