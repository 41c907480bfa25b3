<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Norvik7</name>
    <message>
        <source>No SD card!</source>
        <translation>未插入SD卡！</translation>
    </message>
    <message>
        <source>SD card is full!</source>
        <translation>SD卡已满！</translation>
    </message>
    <message>
        <source>Saved</source>
        <translation>已保存</translation>
    </message>
</context>
<context>
    <name>ImageListViewer</name>
    <message>
        <source>Please insert a SD card!</source>
        <translation>请插入SD卡！</translation>
    </message>
    <message>
        <source>No Image in SD card!</source>
        <translation>SD卡中没有图片！</translation>
    </message>
    <message>
        <source>Loading images...</source>
        <translation>正在加载图片...</translation>
    </message>
</context>
<context>
    <name>ImageViewer</name>
    <message>
        <source>No more images</source>
        <translation>没有更多图片</translation>
    </message>
</context>
<context>
    <name>ImageViewerSubMenu</name>
    <message>
        <source>Information</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
</context>
<context>
    <name>DeleteImageMenu</name>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
</context>
<context>
    <name>VideoDetailInfoMenu</name>
    <message>
        <source>Bytes</source>
        <translation>字节</translation>
    </message>
</context>
<context>
    <name>myWidget</name>
    <message>
        <source>Video playback is not available</source>
        <translation>无法播放视频</translation>
    </message>
</context>
</TS>
