-- The sample edition's content.
INSERT INTO Topics (MainTopicId, TopicName) VALUES (1, 'Computing');
