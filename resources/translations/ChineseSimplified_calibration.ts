<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CalTempSubMenu</name>
    <message>
        <source>Low Gain</source>
        <translation>低增益</translation>
    </message>
    <message>
        <source>Cal -10</source>
        <translation>校准 -10</translation>
    </message>
    <message>
        <source>Cal 20</source>
        <translation>校准 20</translation>
    </message>
    <message>
        <source>Cal 100</source>
        <translation>校准 100</translation>
    </message>
    <message>
        <source>Cal 120</source>
        <translation>校准 120</translation>
    </message>
    <message>
        <source>Cal 250</source>
        <translation>校准 250</translation>
    </message>
    <message>
        <source>Cal 400</source>
        <translation>校准 400</translation>
    </message>
    <message>
        <source>Cal High: </source>
        <translation>高点校准：</translation>
    </message>
    <message>
        <source>Cal Mid: </source>
        <translation>中点校准：</translation>
    </message>
    <message>
        <source>Cal Low: </source>
        <translation>低点校准：</translation>
    </message>
    <message>
        <source>Temp Cal Reset...</source>
        <translation>温度校准复位...</translation>
    </message>
    <message>
        <source>New Recal...</source>
        <translation>重新计算...</translation>
    </message>
    <message>
        <source>Recal failed, tables unchanged</source>
        <translation>重新计算失败，表未更改</translation>
    </message>
    <message>
        <source>Record all three points first</source>
        <translation>请先记录全部三个点</translation>
    </message>
    <message>
        <source>Cal Reset failed, tables not saved</source>
        <translation>校准复位失败，表未保存</translation>
    </message>
    <message>
        <source>No reference reading, point not recorded</source>
        <translation>未读到参考值，该点未记录</translation>
    </message>
    <message>
        <source>RMVC_RESET failed</source>
        <translation>RMVC_RESET 失败</translation>
    </message>
    <message>
        <source>Cal Save, Switch Gain...</source>
        <translation>保存校准，切换增益...</translation>
    </message>
</context>
</TS>
